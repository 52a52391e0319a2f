#pragma once
#include <array>
#include <cstdint>

// What the operator or the machine can do while readings are being taken.
enum class Input : uint8_t {
    Start,          // the Start button, F5, F6, F10
    StationKey,     // the arrows: move the current station or profile
    ShowKey,        // Enter: the graphs of the current position
    FrequencyKey,   // + and -: the frequency of the graphs
    ViewInput,      // page changes, tap-to-read, the view menu, the GPS messages
    SaveOrExport,   // "Сохранить", "Экспорт…": they read the stored readings only
    SessionCommand, // "Создать", "Открыть", "Завершить", the window's close button, recovery
    SeriesTick,     // the series timer fired
    Terminate,      // SIGTERM, Ctrl-C
};
constexpr int kInputCount = 9;

// Where the acquisition stands when an input arrives.
enum class Situation : uint8_t {
    Idle,             // nothing runs, the last reading is on screen
    NotDrawn,         // nothing runs, the last reading has not been drawn yet
    Exchanging,       // a single reading (or its connect, battery read, disconnect) runs
    SeriesWaiting,    // a timed series waits for its next tick
    SeriesExchanging, // a timed series is taking a reading
    Closing,          // the program is ending
};
constexpr int kSituationCount = 6;

enum class Rule : uint8_t {
    Take,     // done at once
    Refuse,   // ignored: nothing changes, nothing is kept for later
    EndSeries, // the series ends at once; a reading already running finishes and is stored
    Wait,     // any series ends at once; done as soon as no reading runs (at once if none)
    Coalesce, // one tick is kept and taken when the running reading has been stored
};

struct InputRule {
    Input input;
    std::array<Rule, kSituationCount> rules; // by Situation
};

// Inputs are never queued by the window system and replayed later: each is taken, refused,
// or waits by the rule below, so a reading is only ever taken where the operator stands.
//                                   Idle          NotDrawn      Exchanging    SeriesWaiting    SeriesExchanging Closing
constexpr InputRule kInputRules[kInputCount] = {
    // A second press during a reading would measure the next station, where nobody stands.
    {Input::Start, {Rule::Take, Rule::Refuse, Rule::Refuse, Rule::EndSeries, Rule::EndSeries, Rule::Refuse}},
    // The reading running belongs to the station shown; it must not move under it.
    {Input::StationKey, {Rule::Take, Rule::Refuse, Rule::Refuse, Rule::Refuse, Rule::Refuse, Rule::Refuse}},
    {Input::ShowKey, {Rule::Take, Rule::Refuse, Rule::Refuse, Rule::Refuse, Rule::Refuse, Rule::Refuse}},
    // Only the display depends on it.
    {Input::FrequencyKey, {Rule::Take, Rule::Refuse, Rule::Take, Rule::Take, Rule::Take, Rule::Refuse}},
    {Input::ViewInput, {Rule::Take, Rule::Take, Rule::Take, Rule::Take, Rule::Take, Rule::Take}},
    {Input::SaveOrExport, {Rule::Take, Rule::Take, Rule::Take, Rule::Take, Rule::Take, Rule::Refuse}},
    // The work must not go away under a reading, and no tick may measure under the question.
    {Input::SessionCommand, {Rule::Wait, Rule::Wait, Rule::Wait, Rule::Wait, Rule::Wait, Rule::Refuse}},
    {Input::SeriesTick, {Rule::Refuse, Rule::Refuse, Rule::Refuse, Rule::Take, Rule::Coalesce, Rule::Refuse}},
    // The running reading is stored and journalled; nothing is asked.
    {Input::Terminate, {Rule::Wait, Rule::Wait, Rule::Wait, Rule::Wait, Rule::Wait, Rule::Refuse}},
};

constexpr bool RulesInInputOrder()
{
    for (int i = 0; i < kInputCount; ++i)
        if (static_cast<int>(kInputRules[i].input) != i)
            return false;
    return true;
}
static_assert(RulesInInputOrder());

constexpr Rule RuleFor(Input input, Situation situation)
{
    return kInputRules[static_cast<int>(input)].rules[static_cast<size_t>(situation)];
}
