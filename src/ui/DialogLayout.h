#pragma once
#include <QFont>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <span>
#include <vector>

// How a control of a page looks; the dialog resources' kinds.
enum class ControlKind {
    Label,        // static text
    RightLabel,   // static text, right-aligned
    Edit,         // text edit
    NumberEdit,   // edit taking digits only
    ReadOnlyEdit, // edit showing a number, not editable
    CheckBox,
    Radio,
    ComboBox,     // drop-down list
    Button,
    DefaultButton,
    GroupBox,
    Frame,        // hidden rectangle that only marks an area of the page
    UpDown,       // up-down arrows (UpDownControl)
};

// One control: its id (0 for static texts nobody refers to), kind, text and rectangle in
// dialog units (left, top, width, height) of a 160-unit-wide page.
struct ControlSpec {
    int id;
    ControlKind kind;
    const char* text;
    int left, top, width, height;
};

// Builds a page's controls from its table and keeps them placed at the dialog geometry,
// scaled to the page's size. Radio buttons are not auto-exclusive: their handlers set them.
class DialogLayout {
public:
    static constexpr int kDialogWidth = 160;
    static constexpr int kDialogHeight = 169;

    // Fit keeps the dialog's proportions (setup pages); Fill stretches it over the whole
    // page (measurement pages, whose graphs should use every pixel).
    enum class Scaling { Fit, Fill };

    DialogLayout(QWidget& page, std::span<const ControlSpec> specs, Scaling scaling = Scaling::Fit);

    QWidget* Control(int id) const;
    template <class T> T* Get(int id) const { return static_cast<T*>(Control(id)); }
    // The control's rectangle on the page in pixels, hidden controls included.
    QRect RectOf(int id) const;
    // Places every control for a page of this size; the font grows with the page.
    void Arrange(QSize size);
    double Scale() const { return scale_; }
    QPoint Origin() const { return origin_; }

private:
    struct Placed {
        ControlSpec spec;
        QWidget* widget;
    };
    QRect Scaled(const ControlSpec& spec) const;

    QWidget& page_;
    Scaling scaling_;
    std::vector<Placed> controls_;
    double scale_ = 1.5;
    double scaleX_ = 1.5;
    double scaleY_ = 1.5;
    QPoint origin_;
};
