#include "InstallStep.h"

#include <algorithm>

namespace {

Transaction* running = nullptr;

} // namespace

InstallStep::InstallStep()
{
    if (running)
        running->steps_.push_back(this);
}

InstallStep::~InstallStep()
{
    if (!running)
        return;
    std::vector<InstallStep*>& steps = running->steps_;
    steps.erase(std::remove(steps.begin(), steps.end(), this), steps.end());
}

Transaction::Transaction() { running = this; }

Transaction::~Transaction() { running = nullptr; }

void Transaction::Commit()
{
    journal_.Commit();
    for (InstallStep* step : steps_)
        step->Keep();
}
