#include "ui/WindowInversion.h"

#include <QCoreApplication>

#include "model/InversionLines.h"
#include "model/InversionSettings.h"
#include "settings/CSettings.h"
#include "survey/DataSet.h"
#include "ui/CrossThreadEvent.h"

namespace {

using StationInvertedEvent = CrossThreadEvent<StationInverted>;

} // namespace

WindowInversion::WindowInversion(std::function<void()> taken) : taken_(std::move(taken)), background_(*this) {}

void WindowInversion::FollowSettings(const CSettings& settings)
{
    InversionSetup setup;
    setup.calibration = settings.currentCalibration;
    setup.used = UsedFrequencyMask(settings);
    setup.options = InversionOptionsFrom(settings);
    background_.Follow(setup);
}

void WindowInversion::Follow(const CSettings& settings, const DataSet& data, uint32_t firstProfile)
{
    FollowSettings(settings);
    for (const std::vector<size_t>& line : SessionLines(data, firstProfile))
        background_.AskAlong(data.Records(), line);
}

void WindowInversion::Renew(const CSettings& settings, const DataSet& data, uint32_t first, uint32_t count)
{
    FollowSettings(settings);
    for (uint32_t k = 0; k < count; ++k)
        background_.Renew(data.Records(), size_t(first) + k, WalkedBefore(data, size_t(first) + k));
}

void WindowInversion::Post(const StationInverted& done)
{
    QCoreApplication::postEvent(this,
                                new StationInvertedEvent(static_cast<QEvent::Type>(kStationInvertedEvent), done));
}

bool WindowInversion::event(QEvent* event)
{
    SeeCrossThreadEvents();
    if (event->type() != static_cast<QEvent::Type>(kStationInvertedEvent))
        return QObject::event(event);
    if (background_.Deliver(static_cast<StationInvertedEvent*>(event)->Value()) && taken_)
        taken_();
    return true;
}
