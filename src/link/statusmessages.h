#pragma once

#include <string>

namespace tovrix {

// The named info-line messages. The info line always shows the German
// wording; the English one is kept beside it for the language setting.
enum class StatusMessage {
    msgstart,
    msgconfreadok,
    msgconfsum,
    msgconfwritten,
    msgverifyok,
    msgverifyfail,
    msgtabreadok,
    msgtabsum,
    msgtabwritten,
    msgtabnak,
    msgtimeout,
    msgnoanswer,
    msgresetdone,
    msgsaved,
    msgsavecancel,
    msgsaveerror,
    msgloadcancel,
    msgloaderror,
    msgfileok,
    msgfilesum,
    msgpartial,
    msglinelost,
    msgnotquiet,
};

inline constexpr int kStatusMessageCount = 23;

enum class Language { Deutsch, English };

// UTF-8 text of a message.
std::string statusText(StatusMessage message, Language language = Language::Deutsch);

}  // namespace tovrix
