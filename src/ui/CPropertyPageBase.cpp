#include "ui/CPropertyPageBase.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMouseEvent>

#include "ui/SessionCommands.h"
#include "ui/SheetEvents.h"

namespace {

// A press that wanders further than this is a drag, not a hold.
constexpr int kHoldSlopPixels = 8;

class SilentPrompter final : public platform::Prompter {
public:
    platform::PromptAnswer Ask(const std::string&, const std::string&, platform::PromptButtons,
                               platform::PromptIcon) override
    {
        return platform::PromptAnswer::Ok;
    }
};

} // namespace

CPropertyPageBase::CPropertyPageBase(PageServices& services, QString title, std::span<const ControlSpec> controls,
                                     DialogLayout::Scaling scaling)
    : services_(services), layout_(*this, controls, scaling), title_(std::move(title))
{
    holdTimer_.setSingleShot(true);
    holdTimer_.setInterval(kTapAndHoldMs);
    connect(&holdTimer_, &QTimer::timeout, this, [this] {
        held_ = true;
        OnTapAndHold(pressPoint_);
    });
}

bool CPropertyPageBase::UpdateData(bool save)
{
    DataExchange dx(services_.prompter, save);
    DoDataExchange(dx);
    return dx.Ok();
}

void CPropertyPageBase::OnSetActive()
{
    LoadFromSettings();
    UpdateData(false);
    UpdateControls();
}

bool CPropertyPageBase::OnKillActive()
{
    if (!UpdateData(true))
        return false;
    StoreToSettings();
    FocusSheet();
    return true;
}

bool CPropertyPageBase::OnApply()
{
    if (!UpdateData(true))
        return false;
    StoreToSettings();
    ExitCommand();
    return true;
}

void CPropertyPageBase::StoreWithoutAsking()
{
    SilentPrompter silent;
    DataExchange dx(silent, true);
    DoDataExchange(dx);
    // A field that did not validate kept its last good value.
    StoreToSettings();
}

void CPropertyPageBase::FocusSheet()
{
    if (services_.sheet != nullptr && services_.sheet->isWidgetType())
        static_cast<QWidget*>(services_.sheet)->setFocus();
}

void CPropertyPageBase::OnMeasurementFailed()
{
    SendToSheet(UM_MEASUREMENT_ERROR);
}

void CPropertyPageBase::SendToSheet(uint32_t message, uintptr_t wParam)
{
    if (services_.sheet == nullptr)
        return;
    SheetEvent event(message, wParam);
    QCoreApplication::sendEvent(services_.sheet, &event);
}

QAction* CPropertyPageBase::ExecMenu(QMenu& menu, QPoint pagePoint)
{
    const QPoint global = mapToGlobal(pagePoint);
    return runMenu_ ? runMenu_(menu, global) : menu.exec(global);
}

void CPropertyPageBase::ExitCommand()
{
    SendToSheet(kCommandExit);
}

void CPropertyPageBase::BeginWorkCommand()
{
    if (!UpdateData(true))
        return;
    StoreToSettings();
    SendToSheet(UM_BEGIN_WORK);
}

void CPropertyPageBase::resizeEvent(QResizeEvent*)
{
    layout_.Arrange(size());
}

void CPropertyPageBase::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    pressPoint_ = event->position().toPoint();
    held_ = false;
    holdTimer_.start();
    OnPress(pressPoint_);
}

void CPropertyPageBase::mouseMoveEvent(QMouseEvent* event)
{
    if (holdTimer_.isActive() &&
        (event->position().toPoint() - pressPoint_).manhattanLength() > kHoldSlopPixels)
        holdTimer_.stop();
    QWidget::mouseMoveEvent(event);
}

void CPropertyPageBase::mouseReleaseEvent(QMouseEvent* event)
{
    holdTimer_.stop();
    QWidget::mouseReleaseEvent(event);
}

void CPropertyPageBase::contextMenuEvent(QContextMenuEvent* event)
{
    holdTimer_.stop();
    if (held_) {
        // The hold already opened its menu; a right-button release must not open another.
        held_ = false;
        return;
    }
    // The Menu key has no point of its own: use the middle of the page.
    const QPoint point = event->reason() == QContextMenuEvent::Keyboard ? rect().center() : event->pos();
    OnTapAndHold(point);
}
