#pragma once
// The table of optimizers: one row per kind of file. The run picks a file's
// row by its extension and optimizes the file with it; the selectors, the
// command line's level options, the JSON and manifest kind, the plug-in
// checks and the window's icons and configure page all read the rows.
//
// A kind is a row (FileKind points at it; null: a file of no listed kind).
// Rows live as long as the program; the table is read from any thread, and
// only a test registers a row of its own (TOptimizerRegistration), before
// any run starts.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compressors/base/OptimizerTypes.h"
#include "compressors/base/RunEnvironment.h"
#include "compressors/text/HtmlMinifier.h"
#include "compressors/verify/PictureCheck.h"

struct TOptimizerRow;
using FileKind = const TOptimizerRow*;

// The level of every kind for one file, by the kind's name. A kind without a
// level of its own is at its row's default entry.
class TLevels {
public:
    Level Of(const TOptimizerRow& row) const;
    Level Of(std::string_view kind) const;  // a name no row has: 0
    void Set(std::string_view kind, Level level);
    bool operator==(const TLevels&) const = default;

private:
    std::map<std::string, Level, std::less<>> levels_;
};

// What an in-process optimizer gets besides the source's bytes.
struct TInProcessCall {
    Level level;  // the file's own level, never 0
    const TLevels& levels;
    const TRunEnvironment& environment;
    std::string sourceDirectory;       // with its trailing "/", or empty
    std::string destinationDirectory;  // with its trailing "/", or empty
    TShortfall* shortfall = nullptr;   // what the output left as written; may be null
};

// Bytes to bytes; throws what the minifier or engine throws.
using TInProcessOptimizer = std::string (*)(std::string_view bytes, const TInProcessCall& call);
// A file-level optimizer (a plug-in's): level 0 copies.
using TFileOptimizer = void (*)(const std::string& source, const std::string& destination, Level level,
                                FileSize& originalSize, FileSize& optimizedSize, const TRunEnvironment& environment);

struct TOptimizerRow {
    std::string name;                     // "css": the option --css, the JSON and manifest kind
    std::string caption;                  // "CSS": the window's "CSS Optimization"
    std::vector<std::string> extensions;  // lower case, dot included
    std::vector<std::string> entries;     // the selector's texts, in the window's order
    std::size_t defaultEntry = 0;         // the window's
    bool twoDigitEntries = false;         // "12- Comment+Exif removal" (JPEG)
    Level commandLineDefault = 0;
    std::string commandLineHelp;  // what the levels do, for --help (lines end with "\n")
    std::vector<Level> lossyLevels;  // levels that may change what a visitor sees
    // Exactly one of the two optimizes (in process through OptimizeInProcess);
    // with neither, the kind's files are copied.
    TInProcessOptimizer inProcess = nullptr;
    TFileOptimizer plugin = nullptr;
    std::string pluginFile;  // "ESC.wsf": the plug-in it needs; empty: none
    std::string filesName;   // "Script": the missing plug-in's notice
    // Started once when a run has files that call the plug-in (the script
    // host's server, warming up in the background), given how many there are;
    // the run keeps what it returns until it ends. Null: nothing to start.
    std::shared_ptr<void> (*startEarly)(const TRunEnvironment& environment, std::size_t files) = nullptr;
    // The kinds whose levels its files also depend on (a page's styles and scripts).
    std::vector<std::string> alsoUses;
    // An output that is not smaller is replaced by the source (the GIF
    // optimizer decides that itself).
    bool keepSourceWhenNotSmaller = true;
    std::optional<TImageFormat> picture;  // an image: its output is proved, it starts early
    // False: a command-line kind. The window shows no selector for it and
    // its open dialog no pattern; a file it is given anyway is copied there
    // (the row's default entry is then "0-") and shows no kind's icon.
    bool inWindow = true;
    std::uint32_t iconColour = 0x808080;  // RGB of the band of its plain file icon
};

// Every row, in the order of the open dialog's extensions.
std::vector<FileKind> Optimizers();
// The row named so (null when there is none).
FileKind OptimizerNamed(std::string_view name);

// How an extension is compared with the table.
enum class LetterCase {
    Exact,  // case-sensitive: ".CSS" is no style sheet (the run, the icons)
    Any     // ASCII letters in any case: ".CSS" is one (the folder walk, the open dialog)
};
// The row of an extension (dot included); null for an unlisted or empty one.
FileKind OptimizerForExtension(std::string_view extension, LetterCase letterCase = LetterCase::Exact);

// The name of a kind; "other" for none.
std::string_view KindName(FileKind kind);

// The level a selector entry's text gives: its first character as a digit;
// for a row with two-digit entries, the first two characters unless the
// second is "-" ("12- Comment+Exif removal" gives 12, "4- Leave pure image"
// 4). Throws std::runtime_error when the text does not start with a level.
Level LevelFromEntry(const TOptimizerRow& row, const std::string& text);
// The entry whose level is `level`; empty when there is none.
std::string EntryForLevel(const TOptimizerRow& row, int level);
// The row's levels in increasing order.
std::vector<int> RowLevels(const TOptimizerRow& row);
// Whether a file of `kind` at `level` may look different to a visitor.
bool LossyLevel(FileKind kind, int level);

// A page's levels with the minifiers of its style and script elements handed
// over: the "css" row's in-process optimizer and the "js" row's plug-in (none
// when the table has no such row).
HtmlLevels PageLevels(Level html, Level js, Level css);

// The one step of every in-process optimizer: level 0 copies (PlainCopy);
// otherwise a destination that is the source is refused, the source is read
// whole (SourceBytes: mapped when large; a source whose size moves meanwhile
// fails with SourceChanged), optimized, and the result written whole (a temporary file renamed
// into place, registered with the run's control). The shortfall, when
// given, gets what the optimizer left as written.
void OptimizeInProcess(const TOptimizerRow& row, const std::string& source, const std::string& destination,
                       const TLevels& levels, FileSize& originalSize, FileSize& optimizedSize,
                       const TRunEnvironment& environment, TShortfall* shortfall = nullptr);

// A row added for the life of the value (tests add kinds of their own).
class TOptimizerRegistration {
public:
    explicit TOptimizerRegistration(TOptimizerRow row);
    ~TOptimizerRegistration();
    TOptimizerRegistration(const TOptimizerRegistration&) = delete;
    TOptimizerRegistration& operator=(const TOptimizerRegistration&) = delete;
    FileKind Kind() const { return row_.get(); }

private:
    std::unique_ptr<TOptimizerRow> row_;
};
