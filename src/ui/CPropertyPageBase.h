#pragma once
#include <QPoint>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <span>

#include "ui/DataExchange.h"
#include "ui/DialogLayout.h"
#include "ui/PageServices.h"

// A page of the sheet. Activation copies the settings into the controls; leaving the page
// validates the controls and copies them back, and a page that does not validate cannot be
// left. A press held still (or a context-menu request) is a tap-and-hold.
class QAction;
class QMenu;

class CPropertyPageBase : public QWidget {
    Q_OBJECT
public:
    // How long a press must be held still to count as a tap-and-hold.
    static constexpr int kTapAndHoldMs = 500;

    CPropertyPageBase(PageServices& services, QString title, std::span<const ControlSpec> controls,
                      DialogLayout::Scaling scaling = DialogLayout::Scaling::Fit);

    const QString& Title() const { return title_; }
    // The page becomes the active one.
    virtual void OnSetActive();
    // The page is about to be left; false keeps it active.
    virtual bool OnKillActive();
    // The sheet's OK: validate, store, then ask the sheet to exit.
    bool OnApply();
    // The program is ending without asking: what validates is stored, nothing is shown.
    void StoreWithoutAsking();

    // Moves the fields to the controls (save = false) or back with validation.
    bool UpdateData(bool save);

    const DialogLayout& Layout() const { return layout_; }
    void SetTapAndHoldDelay(int ms) { holdTimer_.setInterval(ms); }
    // Runs a pop-up menu at a screen point and returns the chosen item; tests choose instead.
    using MenuRunner = std::function<QAction*(QMenu& menu, QPoint global)>;
    void SetMenuRunner(MenuRunner run) { runMenu_ = std::move(run); }

protected:
    virtual void LoadFromSettings() = 0;
    virtual void StoreToSettings() = 0;
    virtual void UpdateControls() {}
    virtual void OnTapAndHold(QPoint) {}
    virtual void OnMeasurementFailed();
    virtual void DoDataExchange(DataExchange& dx) = 0;
    // A press that was not a tap-and-hold, in page coordinates.
    virtual void OnPress(QPoint) {}

    // Delivers a private message to the sheet now (a sent message).
    void SendToSheet(uint32_t message, uintptr_t wParam = 0);
    void ExitCommand();
    // The keyboard focus goes to the sheet (its keys are the page keys).
    void FocusSheet();
    QAction* ExecMenu(QMenu& menu, QPoint pagePoint);
    // "Далее >>": validate, store and ask the sheet to begin work.
    void BeginWorkCommand();

    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    PageServices& services_;
    DialogLayout layout_;

private:
    QString title_;
    MenuRunner runMenu_;
    QTimer holdTimer_;
    QPoint pressPoint_;
    bool held_ = false;
};
