// Compares two directories and aligns one list of the pair, as the window's button under that
// list does: the driver of the stick tests. Every line of every message goes to standard output
// after "message: ", then every list as "list N: name|name", then "drive: ROOT" for each directory
// whose volume is among the drives the window offers. Exit code 3 when the program ended.
// Usage: stick_align DIR1 DIR2 LIST [pause]: with "pause" it waits for a line on standard input
// between the comparison and the alignment, where the test takes a volume away.

#include "compare/ConsolePort.h"
#include "compare/FileListsModel.h"
#include "compare/PairComparison.h"
#include "platform/RealFileSystem.h"
#include "tests/util/RecordingHost.h"
#include "transfer/Alignment.h"
#include "transfer/TransferContext.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 && args.size() != 5)
        return 2;
    const DirPath dir1(QDir(args[1]).absolutePath());
    const DirPath dir2(QDir(args[2]).absolutePath());
    RealFileSystem fs;
    ConsolePort port(stdout, QStringLiteral("message: "));
    FileListsModel lists;
    const Classification c = compare_listed_directories(fs, port, dir1.path(), dir2.path(), false);
    lists.list(1).set_names(c.only_in_dir1);
    lists.list(2).set_names(c.only_in_dir2);
    lists.list(3).set_names(c.newer_in_dir1);
    lists.list(4).set_names(c.newer_in_dir2);
    lists.list(5).set_names(c.aligned);
    if (args.size() == 5) {
        std::printf("compared\n");
        std::fflush(stdout);
        char line[8];
        if (!std::fgets(line, sizeof line, stdin))
            return 2;
    }
    std::shared_ptr<const HeldDir> held1, held2;
    CancelToken cancel;
    RecordingHost host;
    TransferContext ctx { fs, port, lists, dir1, dir2, held1, held2, cancel, host, nullptr };
    align_list(ctx, args[3].toInt(), args[3].toInt() % 2 ? dir1 : dir2, args[3].toInt() % 2 ? dir2 : dir1);
    for (int n = 1; n <= 5; ++n)
        std::printf("list %d: %s\n", n, qPrintable(lists.list(n).names().join(u'|')));
    // The drives the window offers: the volume of each directory must be one.
    const QVector<Volume> drives = fs.volumes();
    for (const QString& dir : { dir1.path(), dir2.path() }) {
        const QString root = fs.volume_root(dir);
        if (std::any_of(drives.begin(), drives.end(), [&](const Volume& v) { return v.root == root; }))
            std::printf("drive: %s\n", qPrintable(root));
    }
    return port.requested_exit() >= 0 ? 3 : 0;
}
