#include "tools/volimport/gzip_file.h"

#include "tests/tools/volimport/test_files.h"

namespace {

using testfiles::ScratchDir;

std::string pattern(std::size_t size) {
    std::string s(size, '\0');
    uint32_t state = 12345;
    for (char& c : s) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    return s;
}

TEST(GzipFile, ReadsWhatGzwriteWrote) {
    ScratchDir dir;
    const std::string content = pattern(3 << 20);  // several read chunks
    testfiles::writeGzip(dir.file("a.gz"), content);
    std::vector<unsigned char> out;
    std::string error;
    ASSERT_TRUE(volimport::readGzipFile(dir.file("a.gz"), out, error)) << error;
    EXPECT_TRUE(std::string(out.begin(), out.end()) == content);
}

TEST(GzipFile, RefusesBadFiles) {
    ScratchDir dir;
    testfiles::writeGzip(dir.file("good.gz"), pattern(100000));
    const std::string good = testfiles::readBytes(dir.file("good.gz"));
    std::string damaged = good;
    for (std::size_t i = 100; i < 400; ++i) damaged[i] = static_cast<char>(damaged[i] ^ 0x5a);
    std::string badTrailer = good;
    badTrailer[badTrailer.size() - 6] ^= 1;  // CRC

    const struct {
        const char* name;
        std::string bytes;  // written as the file; null name below means "missing"
        const char* expected;
    } cases[] = {
        {"plain", "just some text, not compressed", "not a gzip"},
        {"empty", "", "not a gzip"},
        {"truncated", good.substr(0, good.size() / 2), "truncated"},
        {"header only", good.substr(0, 12), "truncated"},
        {"damaged", damaged, "damaged"},
        {"bad crc", badTrailer, "damaged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testfiles::writeBytes(dir.file("f"), c.bytes);
        std::vector<unsigned char> out;
        std::string error;
        EXPECT_FALSE(volimport::readGzipFile(dir.file("f"), out, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        EXPECT_TRUE(out.empty());
    }
    std::vector<unsigned char> out;
    std::string error;
    EXPECT_FALSE(volimport::readGzipFile(dir.file("missing"), out, error));
    EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
    EXPECT_FALSE(volimport::readGzipFile(dir.file("good.gz"), out, error, 50000));
    EXPECT_NE(error.find("more than 50000"), std::string::npos) << error;
}

}  // namespace
