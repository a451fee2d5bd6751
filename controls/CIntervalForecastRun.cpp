#include "controls/CIntervalForecastRun.h"

#include "controls/CJobDetailText.h"
#include "controls/CJobSaveStatement.h"
#include "controls/QVCtrlStrings.h"

#include <memory>

namespace {

struct ForecastState {
    CIntervalForecastRun::Evaluate evaluate;
    CIntervalForecastRun::Done done;
    QObject* context = nullptr;
    std::string interval;
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
        if (value == 0) {
            state->result.failed = true;
            state->result.error = QVCtrlStrings().Load(IDS_FC_NO_NEXT_DATE);
            Finish(state);
            return;
        }
        state->result.runs.push_back(value);
        state->result.warnings = CIntervalForecast::LintText(state->interval, value, now);
        for (const CIntervalWarning& w : state->result.warnings)
            if (w.kind == CIntervalWarning::Kind::Empty) {
                Finish(state);
                return;
            }
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
    return Start(evaluate, context, interval, nextDate == 0 ? std::string("SYSDATE") : CJobSaveStatement::DateLiteral(nextDate),
                 runs, done);
}

bool CIntervalForecastRun::Start(const Evaluate& evaluate, QObject* context, const std::string& interval,
                                 const std::string& nextDateExpression, int runs, const Done& done)
{
    auto state = std::make_shared<ForecastState>();
    state->evaluate = evaluate;
    state->done = done;
    state->context = context;
    state->interval = interval;
    state->wanted = CIntervalForecast::ClampRuns(runs);
    // The first query finds the next date and the server's clock; the
    // steps follow from its answer.
    return evaluate(CJobDetailText::EvaluateStatement(nextDateExpression), context,
                    [state](TwRequestOutcome& outcome) { Answered(state, outcome); });
}
