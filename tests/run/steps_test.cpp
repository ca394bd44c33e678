// The step engine: a failing step runs again on Retry and is left on Ignore,
// the step after a step follows its own rule, and a subroutine's failure
// resumes inside the subroutine.
#include "engine/steps.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace morvane {
namespace {

// A failure handler that answers from a script and records each failure number.
struct ScriptedHandler {
    std::deque<Resume> answers;
    std::vector<int> seen;
    FailureHandler handler() {
        return [this](const Failure& f) {
            seen.push_back(f.number());
            Resume r = answers.front();
            answers.pop_front();
            return r;
        };
    }
};

TEST(Steps, RunsStepsInTheOrderTheirBodiesChoose) {
    std::string trace;
    Procedure p;
    p.step(1,
           [&] {
               trace += "1";
               return 3;
           })
        .step(2,
              [&] {
                  trace += "2";
                  return Procedure::kReturn;
              })
        .step(3, [&] {
            trace += "3";
            return 2;
        });
    ScriptedHandler h;
    EXPECT_EQ(p.run(h.handler(), 1), Outcome::Returned);
    EXPECT_EQ(trace, "132");
    EXPECT_TRUE(h.seen.empty());
}

TEST(Steps, RetryRunsTheFailingStepAgainFromItsBeginning) {
    int attempts = 0;
    std::string trace;
    Procedure p;
    p.step(1, [&] {
         trace += "a";
         if (++attempts < 3) throw Failure(err::kFileNotFound);
         trace += "b";
         return 2;
     }).step(2, [&] {
        trace += "c";
        return Procedure::kReturn;
    });
    ScriptedHandler h{{Resume::Again, Resume::Again}};
    p.run(h.handler(), 1);
    EXPECT_EQ(trace, "aaabc");
    EXPECT_EQ(h.seen, (std::vector<int>{53, 53}));
}

TEST(Steps, PassingOverAFailureGoesOnAtTheStepAfterIt) {
    std::string trace;
    Procedure p;
    // Step 1 would choose step 3 in its normal course; its step after is step 2.
    p.step(1,
           [&]() -> int {
               trace += "1";
               throw Failure(err::kOverflow);
           })
        .step(2,
              [&] {
                  trace += "2";
                  return Procedure::kReturn;
              })
        .step(3, [&] {
            trace += "3";
            return Procedure::kReturn;
        });
    ScriptedHandler h{{Resume::Next}};
    p.run(h.handler(), 1);
    EXPECT_EQ(trace, "12");
}

TEST(Steps, AnExplicitStepAfterOverridesTheNextNumber) {
    std::string trace;
    Procedure p;
    p.step(
         1, [&]() -> int { throw Failure(err::kDiskFull); }, 3)
        .step(2,
              [&] {
                  trace += "2";
                  return Procedure::kReturn;
              })
        .step(3, [&] {
            trace += "3";
            return Procedure::kReturn;
        });
    ScriptedHandler h{{Resume::Next}};
    p.run(h.handler(), 1);
    EXPECT_EQ(trace, "3");
}

TEST(Steps, ASubroutineFailureResumesInsideTheSubroutine) {
    std::string trace;
    ScriptedHandler h{{Resume::Next}};
    auto handler = h.handler();
    Procedure sub;
    sub.step(1,
             [&]() -> int {
                 trace += "s1";
                 throw Failure(err::kPermissionDenied);
             })
        .step(2, [&] {
            trace += "s2";
            return Procedure::kReturn;
        });
    Procedure caller;
    caller
        .step(1,
              [&] {
                  trace += "c1";
                  sub.run(handler, 1);
                  trace += "c1end";
                  return 2;
              })
        .step(2, [&] {
            trace += "c2";
            return Procedure::kReturn;
        });
    caller.run(handler, 1);
    EXPECT_EQ(trace, "c1s1s2c1endc2");
}

TEST(Steps, ExitRunEndsTheProcedureAndReportsIt) {
    Procedure p;
    bool reached = false;
    p.step(1, [] { return Procedure::kExitRun; }).step(2, [&] {
        reached = true;
        return 0;
    });
    ScriptedHandler h;
    EXPECT_EQ(p.run(h.handler(), 1), Outcome::ExitRun);
    EXPECT_FALSE(reached);
}

TEST(Steps, HostExceptionsReachTheHandlerAsFailures) {
    Procedure p;
    p.step(1, []() -> int { throw std::bad_alloc(); })
        .step(2, []() -> int { throw std::runtime_error("x"); })
        .step(3, [] { return Procedure::kReturn; });
    ScriptedHandler h{{Resume::Next, Resume::Next}};
    p.run(h.handler(), 1);
    EXPECT_EQ(h.seen, (std::vector<int>{err::kOutOfMemory, err::kInternal}));
}

}  // namespace
}  // namespace morvane
