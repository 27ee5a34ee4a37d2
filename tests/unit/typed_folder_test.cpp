#include <gtest/gtest.h>

#include "publish/typed_folder.h"

using kerfel::ResolveTypedFolder;

TEST(TypedFolder, ResolvesAgainstTheSelectionTheHomeOrNothing) {
    const std::string home = "/home/ann";
    EXPECT_EQ(ResolveTypedFolder("/srv/web/", "/x", home), "/srv/web");
    EXPECT_EQ(ResolveTypedFolder("/", "/x", home), "/");
    EXPECT_EQ(ResolveTypedFolder("photos", "/data", home), "/data/photos");
    EXPECT_EQ(ResolveTypedFolder("photos", "", home), "/home/ann/photos");
    EXPECT_EQ(ResolveTypedFolder("../b/./c", "/data/a", home), "/data/b/c");
    EXPECT_EQ(ResolveTypedFolder("~", "/data", home), "/home/ann");
    EXPECT_EQ(ResolveTypedFolder("~/web", "/data", home), "/home/ann/web");
    // "~name" is an ordinary folder name here.
    EXPECT_EQ(ResolveTypedFolder("~web", "/data", home), "/data/~web");
    EXPECT_EQ(ResolveTypedFolder("Größe 写真", "/d", home), "/d/Größe 写真");
    EXPECT_EQ(ResolveTypedFolder("", "/data", home), "");
    // Nothing to resolve against gives no folder rather than one below the working folder.
    EXPECT_EQ(ResolveTypedFolder("photos", "", ""), "");
}
