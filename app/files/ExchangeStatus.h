#pragma once

// How a profile or macro export or import ended.
enum class ExchangeStatus {
    Done,
    NothingSelected, // no profile or macro was chosen; the page shows its message
    Cancelled,       // the file dialog was cancelled
    Missing,         // the chosen file does not exist
    Unreadable,      // not XML, or not a file of this kind; nothing was changed
    Failed,          // the file could not be written, or the store refused the data
    TooLarge,        // more macros or events than any real file holds; nothing was changed
    UnsafeTarget,    // the settings database, the light-frame store or not a regular file
    OutOfRange,      // the file's macro has no name or settings no page or mouse takes
};
