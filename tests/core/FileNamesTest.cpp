#include "core/FileNames.h"

#include <gtest/gtest.h>

TEST(FileNamePart, TakesTheLastPartOfLinuxAndForeignPaths)
{
    const struct {
        const char *path, *name;
    } cases[] = {
        {"/opt/tools/sync.sh", "sync.sh"},
        {"sync.sh", "sync.sh"},
        {"C:\\Program Files\\Tools\\backup.exe", "backup.exe"},
        {"~/bin/mixed\\sep/run", "run"},
        // A colon belongs to the name on Linux.
        {"/home/ann/backup 12:00.sh", "backup 12:00.sh"},
        // A folder shows its own name, not nothing.
        {"/home/ann/Photos/", "Photos"},
        {"D:\\Archive\\\\", "Archive"},
        {"", ""},
        {"/", "/"},
        {"//", "//"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FileNamePart(QString::fromUtf8(c.path)), QString::fromUtf8(c.name)) << c.path;
}
