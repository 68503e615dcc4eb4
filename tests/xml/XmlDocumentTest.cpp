#include "app/xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

TEST(XmlParse, AFifoOrFolderIsRefusedWithoutWaitingForAWriter) {
    std::string fifo = TempPath("pipe.xml");
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    XmlDocument doc;
    // Opening a FIFO without O_NONBLOCK waits for a writer that never comes.
    EXPECT_FALSE(doc.Load(fifo));
    std::remove(fifo.c_str());
    EXPECT_FALSE(doc.Load(std::filesystem::temp_directory_path().string()));
}

TEST(XmlParse, LongEightBitTextsConvertWholeAcrossSlices) {
    // GB2312 pairs that straddle every slice boundary of the converter (odd prefix).
    std::string value;
    std::string expected;
    for (int i = 0; i < 30000; ++i) {
        value += "\xD6\xD0";
        expected += "\xE4\xB8\xAD";
    }
    std::string head = "<?xml version=\"1.0\" encoding=\"GB2312\"?><r v=\"x";
    XmlDocument doc;
    ASSERT_TRUE(doc.SetDoc(head + value + "\"/>"));
    ASSERT_TRUE(doc.FindElem("r"));
    EXPECT_EQ(doc.GetAttrib("v"), "x" + expected);

    // A byte the named set does not hold, far past the first slice: the whole text is read as
    // code page 1252 instead, not a converted part followed by nothing.
    ASSERT_TRUE(doc.SetDoc(head + value + "\xFF\"/>"));
    ASSERT_TRUE(doc.FindElem("r"));
    std::string fallback = doc.GetAttrib("v");
    EXPECT_EQ(fallback.size(), 1 + value.size() * 2 + 2) << "every byte became one character";
    EXPECT_EQ(fallback.substr(fallback.size() - 2), "\xC3\xBF");

    // ISO-8859-1 and the 1252 euro sign (three bytes in UTF-8) at full length.
    ASSERT_TRUE(doc.SetDoc("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r v=\"" +
                           std::string(40000, '\xE9') + "\"/>"));
    ASSERT_TRUE(doc.FindElem("r"));
    std::string latin;
    for (int i = 0; i < 40000; ++i)
        latin += "\xC3\xA9";
    EXPECT_EQ(doc.GetAttrib("v"), latin);
    ASSERT_TRUE(doc.SetDoc("<r v=\"" + std::string(40000, '\x80') + "\"/>"));
    ASSERT_TRUE(doc.FindElem("r"));
    EXPECT_EQ(doc.GetAttrib("v").size(), 120000u);
}

TEST(XmlParse, AnEightBitFileIsHeldAtMostAsReadAndAsConverted) {
    // 16 MB of Latin-1 letters: 16 MB read, 32 MB converted. Converting through a buffer of four
    // bytes per byte and parsing a copy took over nine times the file.
    const size_t letters = 16u << 20;
    std::string path = TempPath("latin1.xml");
    WriteBytes(path, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r v=\"" +
                         std::string(letters, '\xE9') + "\"/>");
    int pipeFd[2];
    ASSERT_EQ(pipe(pipeFd), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        struct rusage before {};
        getrusage(RUSAGE_SELF, &before);
        long grown = -1;
        {
            XmlDocument doc;
            if (doc.Load(path) && doc.FindElem("r") && doc.GetAttrib("v").size() == 2 * letters) {
                struct rusage after {};
                getrusage(RUSAGE_SELF, &after);
                grown = after.ru_maxrss - before.ru_maxrss; // KiB
            }
        }
        ssize_t ignored = write(pipeFd[1], &grown, sizeof grown);
        (void)ignored;
        _exit(0);
    }
    close(pipeFd[1]);
    long grown = -1;
    ASSERT_EQ(read(pipeFd[0], &grown, sizeof grown), static_cast<ssize_t>(sizeof grown));
    close(pipeFd[0]);
    int status = 0;
    waitpid(child, &status, 0);
    std::remove(path.c_str());
    ASSERT_GE(grown, 0) << "the file did not load";
    // Read bytes + converted text, then converted text + the copy GetAttrib returns: at most
    // 4 x 16 MB and what the test program holds besides; the old way took over 7.
    EXPECT_LT(grown, static_cast<long>(6 * letters / 1024)) << grown << " KiB";
}

TEST(XmlParse, TextPastTheCapOnceConvertedIsRefusedBeforeItIsBuilt) {
    // 33 MB on disk, 66 MB as UTF-8: past the cap, found out by measuring.
    std::string body(33u << 20, '\xE9');
    for (const char* head : {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r v=\"", "<r v=\""}) {
        XmlDocument doc;
        EXPECT_FALSE(doc.SetDoc(head + body + "\"/>")) << head;
        EXPECT_FALSE(doc.FindElem("r"));
    }
    body.resize(16u << 20);
    XmlDocument doc;
    EXPECT_TRUE(doc.SetDoc("<r v=\"" + body + "\"/>"));
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
