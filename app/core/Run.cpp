#include "app/core/Run.h"

#include <stdexcept>

#include "app/core/FileKinds.h"
#include "app/core/HumanSize.h"
#include "app/core/Level.h"
#include "app/core/PathParts.h"
#include "compressors/Compressors.h"

namespace {

constexpr int kColumns = 5;

Level SelectorLevel(const TRunHost& host, Selector selector)
{
    return LevelFromText(host.SelectorText(selector), selector == Selector::JPEG);
}

// The optimizers that take one level, with the selector that level is read from.
using SingleLevelOptimizer = void (*)(const std::string& source, const std::string& destination, Level level,
                                      FileSize& originalSize, FileSize& optimizedSize,
                                      const TRunEnvironment& environment);
struct TDispatch {
    FileKind kind;
    Selector selector;
    SingleLevelOptimizer optimize;
};
constexpr TDispatch kSingleLevelOptimizers[] = {
    {FileKind::CSS, Selector::CSS, &CompressCSS},    {FileKind::GIF, Selector::GIF, &CompressGIF},
    {FileKind::JS, Selector::JS, &CompressJS},       {FileKind::PNG, Selector::PNG, &CompressPNG},
    {FileKind::JPEG, Selector::JPEG, &CompressJPEG},
};

// Picks the optimizer by the exact extension and reads its levels now.
void OptimizeFile(const TRunHost& host, const std::string& source, const std::string& destination,
                  FileSize& originalSize, FileSize& optimizedSize)
{
    const TRunEnvironment& environment = host.Environment();
    const FileKind kind = FileKindOf(source, LetterCase::Exact);
    if (kind == FileKind::HTML) {
        const Level html = SelectorLevel(host, Selector::HTML);
        const Level js = SelectorLevel(host, Selector::JS);
        const Level css = SelectorLevel(host, Selector::CSS);
        CompressHTML(source, destination, html, js, css, originalSize, optimizedSize, environment);
        return;
    }
    for (const TDispatch& entry : kSingleLevelOptimizers) {
        if (entry.kind != kind) continue;
        entry.optimize(source, destination, SelectorLevel(host, entry.selector), originalSize, optimizedSize,
                       environment);
        return;
    }
    PlainCopy(source, destination, originalSize, optimizedSize, environment);
}

}  // namespace

void ResetResultGrid(TRunHost& host)
{
    host.SetRowCount(2);
    for (int column = 0; column < kColumns; ++column) host.SetCell(column, 1, "");
}

void StartCompression(TRunHost& host)
{
    const int count = host.FileCount();
    if (count <= 0) {
        host.ChooseFiles();
        return;
    }
    host.SetRowCount(count + 2);
    host.SetProgress(0);
    host.SetProgressMax(count - 1);
    long long totalOriginal = 0;
    long long totalOptimized = 0;

    for (int index = 0; index < count; ++index) {
        if (index >= host.FileCount()) throw std::runtime_error("The file list changed during the run");
        const int row = index + 1;
        const std::string source = host.FileAt(index);
        host.SetCell(1, row, source);
        const std::string destination = host.OutputDirText() + FileNameOf(source);

        FileSize originalSize = 0;
        FileSize optimizedSize = 0;
        OptimizeFile(host, source, destination, originalSize, optimizedSize);

        const std::string thousands = host.ThousandsSeparator();
        const std::string decimal = host.DecimalSeparator();
        host.SetCell(2, row, HumanSize(originalSize, thousands, decimal));
        host.SetCell(3, row, HumanSize(optimizedSize, thousands, decimal));
        host.SetCell(4, row, RatioText(optimizedSize, originalSize, decimal));
        totalOriginal += originalSize;
        totalOptimized += optimizedSize;
        host.SetProgress(index);
        host.RepaintAndProcessMessages();
        if (host.StopRequested()) return;
    }

    host.SetCell(3, count + 1, "TOTAL");
    host.SetCell(4, count + 1, RatioText(totalOptimized, totalOriginal, host.DecimalSeparator()));
}
