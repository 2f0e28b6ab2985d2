#include "app/RunMessages.h"

#include <QFile>

namespace {

QString Shown(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The lines of the first kListedAtMost items, then "... and N more".
template <class Item, class Line>
QString Lines(const std::vector<Item>& items, Line line)
{
    QString text;
    for (std::size_t index = 0; index < items.size() && index < kListedAtMost; ++index)
        text += line(items[index]) + QLatin1Char('\n');
    if (items.size() > kListedAtMost) text += QStringLiteral("... and %1 more\n").arg(items.size() - kListedAtMost);
    return text;
}

}  // namespace

QString RefusedPathList(const std::vector<TPathRefusal>& refused)
{
    const QString head = refused.size() == 1 ? QStringLiteral("1 path was not added:\n\n")
                                             : QStringLiteral("%1 paths were not added:\n\n").arg(refused.size());
    return head + Lines(refused, [](const TPathRefusal& item) {
               return Shown(item.path) + QStringLiteral(": ") + QString::fromLocal8Bit(item.reason.c_str());
           });
}

QString ClashQuestion(const std::vector<TDestinationClash>& clashes)
{
    const QString lines = Lines(clashes, [](const TDestinationClash& clash) {
        QStringList sources;
        for (const std::string& source : clash.sources) sources << Shown(source);
        return Shown(clash.destination) + QStringLiteral(" <- ") + sources.join(QStringLiteral(", "));
    });
    return QStringLiteral("These files would be written to the same destination, a later one replacing the "
                          "earlier:\n\n") +
           lines + QStringLiteral("\nOptimize anyway?");
}

QString FailureList(const std::vector<TFileFailure>& failures)
{
    const QString head = failures.size() == 1
                             ? QStringLiteral("1 file could not be optimized:\n\n")
                             : QStringLiteral("%1 files could not be optimized:\n\n").arg(failures.size());
    return head + Lines(failures, [](const TFileFailure& failure) {
               return Shown(failure.Source()) + QStringLiteral(": ") + QString::fromLocal8Bit(failure.what());
           });
}
