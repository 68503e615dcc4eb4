#include "app/xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const char* kSample =
    "<config>"
    "<device.info>"
    "<keyboard name=\"k1\"/><keyboard name=\"k2\"/>"
    "<mouse name=\"m1\" device_type=\"601\"><mode value=\"0\"/><mode value=\"2\"/></mouse>"
    "<keyboard name=\"late\"/>"
    "<mouse name=\"m2\"/>"
    "</device.info>"
    "<software caption=\"Cap\"/>"
    "</config>";

std::string TempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("pivane_xml_" + std::to_string(getpid()) + "_" + name))
        .string();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

TEST(XmlCursor, FindMovesForwardOnlyAndKeepsPositionOnFailure) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetDoc(kSample));
    ASSERT_TRUE(doc.FindElem("config"));
    ASSERT_TRUE(doc.IntoElem());
    ASSERT_TRUE(doc.FindElem("device.info"));
    ASSERT_TRUE(doc.IntoElem());
    EXPECT_TRUE(doc.FindElem("keyboard"));
    EXPECT_TRUE(doc.FindElem("keyboard"));
    EXPECT_EQ(doc.GetAttrib("name"), "k2");
    ASSERT_TRUE(doc.FindElem("mouse"));
    EXPECT_EQ(doc.GetAttrib("name"), "m1");
    // A failed search must not move the cursor.
    EXPECT_FALSE(doc.FindElem("nothing"));
    EXPECT_EQ(doc.GetAttrib("name"), "m1");
    // The keyboard after the first mouse is found, and skips past the mouse no search saw.
    EXPECT_TRUE(doc.FindElem("keyboard"));
    EXPECT_EQ(doc.GetAttrib("name"), "late");
    EXPECT_TRUE(doc.FindElem("mouse"));
    EXPECT_EQ(doc.GetAttrib("name"), "m2");
    EXPECT_FALSE(doc.FindElem("mouse"));
}

TEST(XmlCursor, IntoAndOutOfNest) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetDoc(kSample));
    EXPECT_FALSE(doc.IntoElem()) << "no current element yet";
    EXPECT_FALSE(doc.OutOfElem()) << "already at the root level";
    ASSERT_TRUE(doc.FindElem("config"));
    ASSERT_TRUE(doc.IntoElem());
    ASSERT_TRUE(doc.FindElem("device.info"));
    ASSERT_TRUE(doc.IntoElem());
    ASSERT_TRUE(doc.FindElem("mouse"));
    ASSERT_TRUE(doc.IntoElem());
    EXPECT_TRUE(doc.FindElem("mode"));
    EXPECT_EQ(doc.GetAttrib("value"), "0");
    EXPECT_TRUE(doc.FindElem("mode"));
    EXPECT_EQ(doc.GetAttrib("value"), "2");
    EXPECT_FALSE(doc.FindElem("mode"));
    ASSERT_TRUE(doc.OutOfElem());
    EXPECT_EQ(doc.GetTagName(), "mouse");
    EXPECT_EQ(doc.GetAttrib("device_type"), "601");
    ASSERT_TRUE(doc.OutOfElem());
    EXPECT_EQ(doc.GetTagName(), "device.info");
    EXPECT_TRUE(doc.FindElem("software"));
    EXPECT_EQ(doc.GetAttrib("caption"), "Cap");
    EXPECT_EQ(doc.GetAttrib("missing"), "");
    // From the top again.
    doc.ResetPos();
    EXPECT_TRUE(doc.FindElem("config"));
    EXPECT_TRUE(doc.FindElem() == false) << "a document has one root";
}

TEST(XmlCursor, EmptyNameFindsAnyElementAndSkipsOtherNodes) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetDoc("<r><!-- c --><?pi x?>text<a/><b/></r>"));
    ASSERT_TRUE(doc.FindElem());
    ASSERT_TRUE(doc.IntoElem());
    ASSERT_TRUE(doc.FindElem());
    EXPECT_EQ(doc.GetTagName(), "a");
    ASSERT_TRUE(doc.FindElem());
    EXPECT_EQ(doc.GetTagName(), "b");
}

TEST(XmlParse, RejectsBrokenDocumentsAndEmptiesThem) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetDoc("<a x=\"1\"/>"));
    EXPECT_FALSE(doc.SetDoc("<a><b></a>"));
    EXPECT_FALSE(doc.FindElem("a")) << "a failed parse leaves no trace of the earlier document";
    EXPECT_FALSE(doc.SetDoc(""));
    EXPECT_FALSE(doc.SetDoc("<?xml version=\"1.0\"?>"));
    EXPECT_FALSE(doc.SetDoc("just text"));
    EXPECT_FALSE(doc.Load(TempPath("does_not_exist.xml")));
    EXPECT_FALSE(doc.Load(std::filesystem::temp_directory_path().string()));
}

TEST(XmlParse, RefusesHugeFilesWithoutReadingThem) {
    // A sparse file: its size is past the limit, but it occupies no disk space.
    std::string path = TempPath("huge.xml");
    WriteBytes(path, "<r/>");
    std::filesystem::resize_file(path, XmlDocument::kMaxFileSize + 1);
    XmlDocument doc;
    EXPECT_FALSE(doc.Load(path));
    std::filesystem::resize_file(path, 4);
    EXPECT_TRUE(doc.Load(path));
    std::remove(path.c_str());
}

TEST(XmlParse, ReadsEntitiesAndEveryEncoding) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetDoc("<r v=\"a&amp;b &lt;&#20013;&gt; &quot;\"/>"));
    ASSERT_TRUE(doc.FindElem("r"));
    EXPECT_EQ(doc.GetAttrib("v"), "a&b <\xE4\xB8\xAD> \"");

    // UTF-8 with a byte-order mark.
    ASSERT_TRUE(doc.SetDoc("\xEF\xBB\xBF<r v=\"\xE4\xB8\xAD\"/>"));
    ASSERT_TRUE(doc.FindElem("r"));
    EXPECT_EQ(doc.GetAttrib("v"), "\xE4\xB8\xAD");

    // UTF-16 little and big endian with a mark: <r v="中"/>
    std::u16string text = u"<r v=\"\u4E2D\"/>";
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (char16_t c : text) {
        le += char(c & 0xFF);
        le += char(c >> 8);
        be += char(c >> 8);
        be += char(c & 0xFF);
    }
    for (const std::string& bytes : {le, be}) {
        std::string path = TempPath("utf16.xml");
        WriteBytes(path, bytes);
        ASSERT_TRUE(doc.Load(path));
        std::remove(path.c_str());
        ASSERT_TRUE(doc.FindElem("r"));
        EXPECT_EQ(doc.GetAttrib("v"), "\xE4\xB8\xAD");
    }

    // An 8-bit Windows file: e-acute and the euro sign become UTF-8.
    ASSERT_TRUE(doc.SetDoc("<r v=\"caf\xE9 \x80\"/>"));
    ASSERT_TRUE(doc.FindElem("r"));
    EXPECT_EQ(doc.GetAttrib("v"), "caf\xC3\xA9 \xE2\x82\xAC");

    // An 8-bit file whose declaration names its code page: GB2312 bytes D6 D0 are U+4E2D.
    ASSERT_TRUE(doc.SetDoc("<?xml version=\"1.0\" encoding=\"GB2312\"?><r v=\"\xD6\xD0\"/>"));
    ASSERT_TRUE(doc.FindElem("r"));
    EXPECT_EQ(doc.GetAttrib("v"), "\xE4\xB8\xAD");
    // An unknown name falls back to code page 1252.
    ASSERT_TRUE(doc.SetDoc("<?xml version=\"1.0\" encoding='x-none'?><r v=\"\xE9\"/>"));
    ASSERT_TRUE(doc.FindElem("r"));
    EXPECT_EQ(doc.GetAttrib("v"), "\xC3\xA9");
}

TEST(XmlWrite, BuildsInOrderAndWritesTheDeclaration) {
    XmlDocument doc;
    ASSERT_TRUE(doc.AddElem("profile"));
    EXPECT_FALSE(doc.AddElem("second")) << "only one root element";
    ASSERT_TRUE(doc.IntoElem());
    ASSERT_TRUE(doc.AddElem("a"));
    ASSERT_TRUE(doc.SetAttrib("z", 5));
    ASSERT_TRUE(doc.SetAttrib("b", "x<y & \"q\"\n"));
    ASSERT_TRUE(doc.SetAttrib("z", -7)) << "setting again keeps the attribute's place";
    ASSERT_TRUE(doc.AddElem("c"));
    ASSERT_TRUE(doc.OutOfElem());
    std::string text = doc.GetDoc();
    ASSERT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<profile>", 0), 0u) << text;
    EXPECT_NE(text.find("<a z=\"-7\" b=\""), std::string::npos) << text;
    EXPECT_LT(text.find("<a "), text.find("<c"));
    EXPECT_EQ(text.find('\n', 0), text.find("\r\n", 0) + 1);

    // What was written reads back, the awkward value unchanged.
    XmlDocument back;
    ASSERT_TRUE(back.SetDoc(text));
    ASSERT_TRUE(back.FindElem("profile"));
    ASSERT_TRUE(back.IntoElem());
    ASSERT_TRUE(back.FindElem("a"));
    EXPECT_EQ(back.GetAttrib("b"), "x<y & \"q\"\n");
    EXPECT_EQ(back.GetAttrib("z"), "-7");
    EXPECT_TRUE(back.FindElem("c"));
}

TEST(XmlWrite, BrokenTextDoesNotTurnTheFileIntoAnAnsiFile) {
    // One stray byte beside a Chinese name must not make the reader take the whole file as 8-bit.
    XmlDocument doc;
    ASSERT_TRUE(doc.AddElem("r"));
    ASSERT_TRUE(doc.SetAttrib("a", "\xE5\xAE\x8F"));
    ASSERT_TRUE(doc.SetAttrib("b", "x\xFFy\xE5\xAE"));
    XmlDocument back;
    ASSERT_TRUE(back.SetDoc(doc.GetDoc()));
    ASSERT_TRUE(back.FindElem("r"));
    EXPECT_EQ(back.GetAttrib("a"), "\xE5\xAE\x8F");
    EXPECT_EQ(back.GetAttrib("b"), "x\xEF\xBF\xBDy\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(XmlWrite, AddsAfterTheCurrentElement) {
    XmlDocument doc;
    ASSERT_TRUE(doc.SetDoc("<r><a/><c/></r>"));
    ASSERT_TRUE(doc.FindElem("r"));
    ASSERT_TRUE(doc.IntoElem());
    ASSERT_TRUE(doc.FindElem("a"));
    ASSERT_TRUE(doc.AddElem("b"));
    EXPECT_FALSE(doc.SetAttrib("", "x"));
    doc.ResetPos();
    ASSERT_TRUE(doc.FindElem("r"));
    ASSERT_TRUE(doc.IntoElem());
    std::string order;
    while (doc.FindElem())
        order += doc.GetTagName();
    EXPECT_EQ(order, "abc");
}

TEST(XmlWrite, SaveWritesUtf8AndReportsFailure) {
    XmlDocument doc;
    ASSERT_TRUE(doc.AddElem("macro"));
    ASSERT_TRUE(doc.SetAttrib("name", "\xE5\xAE\x8F 1"));
    std::string path = TempPath("save.xml");
    ASSERT_TRUE(doc.Save(path));
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, doc.GetDoc());
    std::remove(path.c_str());
    EXPECT_FALSE(doc.Save(TempPath("no/such/folder/x.xml")));
}

} // namespace
