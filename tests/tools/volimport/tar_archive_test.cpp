#include "tools/volimport/tar_archive.h"

#include "tests/tools/volimport/test_files.h"

namespace {

using testfiles::tarMember;
using volimport::TarMember;

bool list(const std::string& tar, std::vector<TarMember>& members, std::string& error) {
    return volimport::listTarMembers(reinterpret_cast<const unsigned char*>(tar.data()),
                                     tar.size(), members, error);
}

TEST(TarArchive, ListsRegularFilesWithTheirContent) {
    const std::string tar = tarMember("dir/", "", '5') + tarMember("dir/a.txt", "hello") +
                            tarMember("dir/big.bin", std::string(1000, 'x')) +
                            tarMember("other/a.txt", "second") + testfiles::tarEnd() +
                            tarMember("after/end", "not listed");
    std::vector<TarMember> members;
    std::string error;
    ASSERT_TRUE(list(tar, members, error)) << error;
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[0].name, "dir/a.txt");
    EXPECT_EQ(tar.substr(members[0].offset, members[0].size), "hello");
    EXPECT_EQ(members[1].size, 1000u);
    EXPECT_EQ(tar.substr(members[2].offset, members[2].size), "second");

    bool ambiguous = false;
    const TarMember* big = volimport::findMemberByBaseName(members, "big.bin", &ambiguous);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->name, "dir/big.bin");
    EXPECT_EQ(volimport::findMemberByBaseName(members, "a.txt", &ambiguous), nullptr);
    EXPECT_TRUE(ambiguous);
    EXPECT_EQ(volimport::findMemberByBaseName(members, "none", &ambiguous), nullptr);
    EXPECT_FALSE(ambiguous);
}

TEST(TarArchive, RefusesDamage) {
    const std::string good = tarMember("a/matrix.dat", std::string(2000, 'm')) + testfiles::tarEnd();
    std::string badSum = good;
    badSum[0] = 'b';
    std::string badSize = good;
    badSize[124] = '9';
    testfiles::fixChecksum(badSize);
    const struct {
        const char* name;
        std::string tar;
        const char* expected;
    } cases[] = {
        {"member cut short", good.substr(0, 1500), "truncated archive: member \"a/matrix.dat\""},
        {"header cut short", good.substr(0, 300), "truncated archive"},
        {"bad checksum", badSum, "bad checksum"},
        {"text file", std::string(600, 'x'), "bad checksum"},
        {"bad size", badSize, "bad size field"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<TarMember> members;
        std::string error;
        EXPECT_FALSE(list(c.tar, members, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
    // Every cut either fails or lists only content that lies inside the data.
    for (std::size_t n = 0; n < good.size(); n += 7) {
        const std::string cut = good.substr(0, n);
        std::vector<TarMember> members;
        std::string error;
        if (list(cut, members, error)) {
            for (const TarMember& m : members) EXPECT_LE(m.offset + m.size, n) << n;
        } else {
            EXPECT_FALSE(error.empty()) << n;
        }
    }
}

}  // namespace
