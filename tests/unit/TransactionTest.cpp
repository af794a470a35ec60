// The transaction commits every step made while it runs, without a list kept
// by hand, and undoes them when it is left without a commit.
#include <gtest/gtest.h>

#include <memory>

#include "install/InstallParams.h"
#include "install/InstallStep.h"

namespace {

// Says whether it was undone.
class MarkingStep : public InstallStep {
public:
    explicit MarkingStep(bool& undone) : undone_(undone) {}
    ~MarkingStep()
    {
        if (RollbackWanted())
            undone_ = true;
    }

private:
    bool& undone_;
};

TEST(Transaction, CommitsEveryStepMadeWhileItRunsNamedOrNot)
{
    Params() = InstallParams{};
    bool first = false, optional = false, late = false;
    {
        Transaction transaction;
        MarkingStep step(first);
        const auto optionalStep = std::make_unique<MarkingStep>(optional);
        MarkingStep addedLater(late);  // a step nobody names anywhere
        transaction.Commit();
    }
    EXPECT_FALSE(first);
    EXPECT_FALSE(optional);
    EXPECT_FALSE(late);
}

TEST(Transaction, WithoutCommitEveryStepIsUndone)
{
    Params() = InstallParams{};
    bool first = false, second = false;
    {
        Transaction transaction;
        MarkingStep step(first);
        MarkingStep other(second);
    }
    EXPECT_TRUE(first);
    EXPECT_TRUE(second);
}

TEST(Transaction, AStepUndoneBeforeTheCommitIsNotKeptByIt)
{
    Params() = InstallParams{};
    bool gone = false, kept = false;
    {
        Transaction transaction;
        MarkingStep step(kept);
        { MarkingStep shortLived(gone); }
        transaction.Commit();
    }
    EXPECT_TRUE(gone);
    EXPECT_FALSE(kept);
}

} // namespace
