#include "controls/CIntervalForecastRun.h"

#include "controls/CJobDetailText.h"
#include "controls/QVCtrlStrings.h"

#include <memory>

namespace {

struct ForecastState {
    CIntervalForecastRun::Evaluate evaluate;
    CIntervalForecastRun::Done done;
    QObject* context = nullptr;
    std::string interval;
    DATE nextDate = 0;
    int wanted = 0;
    bool seeded = false; // the first answer (server time, maybe the start) came
    CIntervalForecastResult result;
};

void Finish(const std::shared_ptr<ForecastState>& state)
{
    state->done(state->result);
}

bool Step(const std::shared_ptr<ForecastState>& state);

void Answered(const std::shared_ptr<ForecastState>& state, TwRequestOutcome& outcome)
{
    DATE value = 0;
    DATE now = 0;
    const CJobDetailText::Evaluation kind = CJobDetailText::Classify(outcome.evaluation.get(), &value, &now);
    if (outcome.failed || kind == CJobDetailText::Evaluation::Failed) {
        state->result.failed = true;
        state->result.error = outcome.message;
        Finish(state);
        return;
    }
    if (kind == CJobDetailText::Evaluation::NotADate || kind == CJobDetailText::Evaluation::NoData) {
        state->result.failed = true;
        state->result.error = QVCtrlStrings().Load(IDS_FC_NOT_A_DATE);
        Finish(state);
        return;
    }
    if (!state->seeded) {
        state->seeded = true;
        state->result.serverNow = now;
        if (state->nextDate == 0)
            state->nextDate = now;
        state->result.runs.push_back(state->nextDate);
        state->result.warnings =
            CIntervalForecast::LintText(state->interval, state->nextDate, now);
        for (const CIntervalWarning& w : state->result.warnings)
            if (w.kind == CIntervalWarning::Kind::Empty) {
                Finish(state);
                return;
            }
        // The first answer was the step from the next date already unless
        // it only had to find the start.
        if (state->result.runs.size() >= static_cast<size_t>(state->wanted) || !Step(state))
            Finish(state);
        return;
    }
    CIntervalWarning warning;
    if (CIntervalForecast::CheckStep(state->result.runs.back(), value, &warning)) {
        state->result.warnings.push_back(warning);
        Finish(state);
        return;
    }
    state->result.runs.push_back(value);
    if (state->result.runs.size() >= static_cast<size_t>(state->wanted) || !Step(state))
        Finish(state);
}

// Queues the step from the last forecast run; false when it could not be
// queued (the result then says so).
bool Step(const std::shared_ptr<ForecastState>& state)
{
    const std::string query = CIntervalForecast::StepStatement(state->interval, state->result.runs.back());
    if (state->evaluate(query, state->context, [state](TwRequestOutcome& outcome) { Answered(state, outcome); }))
        return true;
    state->result.failed = true;
    state->result.error = QVCtrlStrings().Load(IDS_FC_NOT_CONNECTED);
    return false;
}

} // namespace

bool CIntervalForecastRun::Start(const Evaluate& evaluate, QObject* context, const std::string& interval,
                                 DATE nextDate, int runs, const Done& done)
{
    auto state = std::make_shared<ForecastState>();
    state->evaluate = evaluate;
    state->done = done;
    state->context = context;
    state->interval = interval;
    state->nextDate = nextDate;
    state->wanted = CIntervalForecast::ClampRuns(runs);
    // The first query only reads the server's clock (and stands in for the
    // next date of a new job); the steps follow from its answer.
    return evaluate(CJobDetailText::EvaluateStatement("SYSDATE"), context,
                    [state](TwRequestOutcome& outcome) { Answered(state, outcome); });
}
