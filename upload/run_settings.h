// How a till runs unattended: the [run] section of httpset.ini. Every setting
// defaults to the till program's own behaviour.
#pragma once

#include <string>

namespace tavrix {

struct RunSettings {
  // boxes=0: the run's boxes become lines of the progress log (and the run
  // log) instead of waiting for a person.
  bool boxes = true;
  // catch_up=1: the sales kind sends every pending sale in one run, each on
  // its own, until none is left or one fails.
  bool catchUp = false;
  // watch_minutes=N: with nothing pending, or after the third failed run,
  // the upload timer is armed again after N minutes instead of staying off.
  int watchMinutes = 0;
  // foreign_sale_guard=0: a batch keyed by day and sale number goes even
  // where another machine holds that sale at the head office, as specified.
  bool foreignSaleGuard = true;
};

// Reads [run] of `tillFolder`/httpset.ini by the profile-string rules. Raises
// GeneralError naming the key for a value it cannot take.
RunSettings readRunSettings(const std::string& tillFolder);

// "boxes 1, catch_up 0, watch_minutes 0, foreign_sale_guard 1": the settings
// in force, for --status.
std::string describe(const RunSettings& settings);

}  // namespace tavrix
