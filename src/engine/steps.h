// The step engine. A procedure of the run is a numbered list of steps; each
// step's body does its work and says which step comes next. When a body fails,
// the run's failure handler decides whether the same step runs again from its
// beginning or the run goes on at the step after it. Nothing done before the
// failure is undone.
//
// A subroutine of the run is a procedure of its own, run from a step of its
// caller: a failure inside it resumes inside it, never at the caller's step.
// A function without steps simply throws, and its failure is the failure of
// the step that called it.
#pragma once

#include <functional>
#include <map>

#include "platform/failure.h"

namespace morvane {

enum class Resume {
    Again,  // run the failing step again from its beginning
    Next,   // go on at the step after the failing one
};

using FailureHandler = std::function<Resume(const Failure&)>;

// How a procedure ended.
enum class Outcome {
    Returned,  // it returned to its caller
    ExitRun,   // it ended the whole run through the controller's early exit
};

class Procedure {
public:
    // What a step's body returns besides a step number.
    static constexpr int kReturn = 0;    // return to the caller
    static constexpr int kExitRun = -1;  // end the whole run at once

    using Body = std::function<int()>;

    // Adds step `number`. Its body returns the number of the step that follows
    // in the normal course, kReturn or kExitRun. `after` is where the run goes
    // on when the step fails and the failure is passed over; by default the
    // next number.
    Procedure& step(int number, Body body);
    Procedure& step(int number, Body body, int after);

    // Runs from step `first` until a body returns kReturn or kExitRun.
    Outcome run(const FailureHandler& onFailure, int first) const;

private:
    struct Step {
        Body body;
        int after;
    };
    std::map<int, Step> steps_;
};

}  // namespace morvane
