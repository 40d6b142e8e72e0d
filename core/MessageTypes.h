#pragma once
// What a question to the user looks like, without showing it: the domain
// describes the question in its result, the windows ask it.

enum class TMsgIcon { None, Information, Warning, Error };
enum class TMsgButtons { Ok, OkIgnore, YesNo, YesAbort };
enum class TMsgResult { Ok, Ignore, Yes, No, Abort };

// The answer that changes nothing: Ok, Ignore, No or Abort. Given when a box
// is closed by the window manager or cannot be shown at all, and when the
// program is asked to end while the box waits.
TMsgResult CautiousAnswer(TMsgButtons buttons);
