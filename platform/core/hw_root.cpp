#include "hw_root.h"

namespace platform {

QString hwPath(const QString& absolutePath) {
    static const QString kHardwareTrees[] = {QStringLiteral("/sys"), QStringLiteral("/proc"),
                                             QStringLiteral("/dev")};
    bool hardware = false;
    for (const QString& tree : kHardwareTrees) {
        hardware =
            hardware || absolutePath == tree || absolutePath.startsWith(tree + QLatin1Char('/'));
    }
    QString root = qEnvironmentVariable("HW_ROOT");
    while (root.endsWith(QLatin1Char('/')))
        root.chop(1);
    if (!hardware || root.isEmpty())
        return absolutePath;
    return root + absolutePath;
}

} // namespace platform
