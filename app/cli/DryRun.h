#pragma once
// What a run would do, told without writing anything.

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "app/core/OptimizeJob.h"
#include "app/core/OutputRecord.h"
#include "app/core/RunPlan.h"

// One line per job, "SOURCE -> DESTINATION: ACTION", ACTION one of "optimize",
// "copy" (unchanged: no optimizer, or its plug-in is missing), "reuse" (the
// recorded output stands; only with `extras.incremental`) or "refused: REASON";
// then a count of each. Reads the sources only to hash them for "reuse".
// Returns the number of refused jobs.
int PrintPlan(const std::vector<TJob>& jobs, const TLevels& levels,
              const std::map<FileKind, std::string>& missingPlugins, const TJobExtras& extras, std::ostream& out);

// After the plan: "SOURCE: left out (--include/--exclude)" for each file the
// filter did not take (none is written), then their count; nothing when none.
void PrintLeftOut(const std::vector<std::string>& sources, std::ostream& out);
