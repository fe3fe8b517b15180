// The editing of the observation output chosen in the header data window, as texts in the
// forms of the command line (time window, decimation step, split, observation types, excluded
// satellites; empty: not asked for). Kept in the configuration's [EDITING] section, which is
// written only once a choice is made, so that files of earlier versions stay as they are.
#pragma once

#include <string>

namespace kelvrant {

struct EditingChoices {
    std::string from;      ///< FROM: YYYY-MM-DD hh:mm[:ss] or WEEK:SECONDS, GPS time
    std::string to;        ///< TO
    std::string decimate;  ///< DECIMATE: seconds
    std::string split;     ///< SPLIT: day or hour
    std::string types;     ///< TYPES: L1,L2,...
    std::string exclude;   ///< EXCLUDE: G05,R,...

    bool IsDefault() const {
        return from.empty() && to.empty() && decimate.empty() && split.empty() && types.empty() &&
               exclude.empty();
    }
    friend bool operator==(const EditingChoices&, const EditingChoices&) = default;
};

}  // namespace kelvrant
