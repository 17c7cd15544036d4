#pragma once
// A stand-in for where the schedule saves: the configuration file.
#include "model/messages/schedule.h"

namespace testsupport {

// Counts the saves; a save fails while ok is false.
class CountingStore : public uFMsg::ScheduleStore {
public:
    bool saveSchedule() override
    {
        ++saves;
        return ok;
    }
    int saves = 0;
    bool ok = true;
};

}  // namespace testsupport
