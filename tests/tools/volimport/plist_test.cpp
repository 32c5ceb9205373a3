#include "tools/volimport/plist.h"

#include <gtest/gtest.h>

namespace {

using volimport::PlistValue;

const char kDocument[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple Computer//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>annotations</key>
	<dict>
	</dict>
	<!-- a comment -->
	<key>matrix</key>
	<dict>
		<key>dtype</key>
		<string>int16</string>
		<key>shape</key>
		<array>
			<integer>108</integer>
			<integer> -256 </integer>
		</array>
	</dict>
	<key>name</key>
	<string>A &amp; B &lt;1&gt;</string>
	<key>spacing</key>
	<array><real>0.95703119999999997</real><real>1.5e0</real></array>
	<key>flag</key><true/>
	<key>empty</key><string/>
	<key>none</key><array/>
</dict>
</plist>
)";

bool parse(const std::string& text, PlistValue& out, std::string& error) {
    return volimport::parsePlist(text.data(), text.size(), out, error);
}

TEST(Plist, ReadsNestedDocuments) {
    PlistValue root;
    std::string error;
    ASSERT_TRUE(parse(kDocument, root, error)) << error;
    ASSERT_EQ(root.kind, PlistValue::Kind::Dict);
    EXPECT_EQ(root.keys.size(), 7u);
    EXPECT_EQ(root.find("annotations")->items.size(), 0u);
    const PlistValue* matrix = root.find("matrix");
    ASSERT_NE(matrix, nullptr);
    EXPECT_EQ(matrix->find("dtype")->text, "int16");
    const PlistValue* shape = matrix->find("shape");
    ASSERT_EQ(shape->items.size(), 2u);
    EXPECT_EQ(shape->items[0].integer, 108);
    EXPECT_EQ(shape->items[1].integer, -256);
    EXPECT_EQ(root.find("name")->text, "A & B <1>");
    EXPECT_DOUBLE_EQ(root.find("spacing")->items[0].number(), 0.95703119999999997);
    EXPECT_DOUBLE_EQ(root.find("spacing")->items[1].real, 1.5);
    EXPECT_TRUE(root.find("flag")->boolean);
    EXPECT_EQ(root.find("empty")->text, "");
    EXPECT_EQ(root.find("none")->kind, PlistValue::Kind::Array);
    EXPECT_EQ(root.find("missing"), nullptr);
    EXPECT_EQ(shape->find("x"), nullptr);  // not a dict
}

TEST(Plist, RefusesMalformedDocuments) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"", "line 1: unexpected end"},
        {"<plist><dict><key>a</key></dict></plist>", "has no value"},
        {"<plist><dict><string>a</string></dict></plist>", "expected <key>"},
        {"<plist><integer>12x</integer></plist>", "bad <integer>"},
        {"<plist><integer>99999999999999999999</integer></plist>", "bad <integer>"},
        {"<plist><real>nan</real></plist>", "bad <real>"},
        {"<plist><string>a</str></plist>", "expected </string>"},
        {"<plist><data>AAAA</data></plist>", "unsupported element <data>"},
        {"<plist><string>&bogus;</string></plist>", "unsupported entity"},
        {"<plist>\n<dict>\n<key>a</key>\n<string>b</string>\n</plist>", "line 5: expected <key>"},
        {"<dict></dict>", "expected <plist>"},
        {"<plist><dict/></plist>trailing", "after </plist>"},
        {"<plist><!-- open", "unterminated comment"},
        {"<plist><string attr=\"x>", "unterminated element"},
        {"text", "expected an element"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        PlistValue root;
        std::string error;
        EXPECT_FALSE(parse(c.text, root, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
}

TEST(Plist, SurvivesEveryTruncationAndDeepNesting) {
    const std::string full = kDocument;
    for (std::size_t n = 0; n + 2 < full.size(); ++n) {
        PlistValue root;
        std::string error;
        // Cuts inside the trailing "</plist>\n" leave nothing to parse but
        // are caught by the missing close.
        EXPECT_FALSE(parse(full.substr(0, n), root, error)) << n;
        EXPECT_FALSE(error.empty());
    }
    std::string deep = "<plist>";
    for (int i = 0; i < 5000; ++i) deep += "<array>";
    PlistValue root;
    std::string error;
    EXPECT_FALSE(parse(deep, root, error));
    EXPECT_NE(error.find("nesting deeper"), std::string::npos) << error;
}

}  // namespace
