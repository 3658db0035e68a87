#include <gmock/gmock.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "MadeDocuments.h"
#include "platform/linux/documents/FileDocuments.h"
#include "support/TempFolder.h"

namespace nimbo {
namespace {

using ::testing::HasSubstr;
using testing::madeLine;

constexpr std::size_t kEnough = 120000;

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class DocumentReadersTest : public ::testing::Test {
protected:
    std::string at(const std::string& name) const { return (folder.path() / name).string(); }
    std::optional<std::string> text(const std::string& name, const std::string& kind, std::size_t enough = kEnough) {
        return documents.text(at(name), kind, enough);
    }
    std::optional<std::string> written(const std::string& name, const std::string& bytes, const std::string& kind) {
        testing::writeFile(at(name), bytes);
        return text(name, kind);
    }

    testing::TempFolder folder;
    documents::FileDocuments documents;
};

TEST_F(DocumentReadersTest, PdfPagesAreReadOneByOneAndLockedOrDamagedOnesDontOpen) {
    testing::writePdf(at("long.pdf"), 500);
    auto pdf = documents.openPdf(at("long.pdf"));
    ASSERT_TRUE(pdf);
    EXPECT_EQ(pdf->pageCount(), 500);
    EXPECT_THAT(pdf->pageText(0).value_or(""), HasSubstr(madeLine(1, 1)));
    EXPECT_THAT(pdf->pageText(499).value_or(""), HasSubstr(madeLine(500, 40)));
    EXPECT_EQ(pdf->pageText(500), std::nullopt);

    testing::writePdf(at("short.pdf"), 2);
    std::string locked = at("locked.pdf");
    std::string command = "qpdf --encrypt secret owner 256 -- " + at("short.pdf") + " " + locked;
    ASSERT_EQ(std::system(command.c_str()), 0) << "qpdf is in scripts/install-deps";
    EXPECT_EQ(documents.openPdf(locked), nullptr);

    auto bytes = contents(at("short.pdf"));
    testing::writeFile(at("cut.pdf"), bytes.substr(0, bytes.size() / 3));
    EXPECT_EQ(documents.openPdf(at("cut.pdf")), nullptr);
    EXPECT_EQ(documents.openPdf(at("never-written.pdf")), nullptr);
}

TEST_F(DocumentReadersTest, WordKeepsParagraphsAndLeavesOutDeletedTextAndFieldCodes) {
    testing::writeDocx(at("letter.docx"),
                       R"(<w:p><w:r><w:t>Dear </w:t></w:r><w:r><w:t xml:space="preserve">Ann, </w:t></w:r></w:p>)"
                       R"(<w:p/><w:p><w:r><w:t>a</w:t><w:tab/><w:t>b</w:t><w:br/><w:t>c &amp; d</w:t></w:r></w:p>)"
                       R"(<w:p><w:del><w:r><w:delText>gone</w:delText></w:r></w:del>)"
                       R"(<w:r><w:instrText> PAGE </w:instrText></w:r><w:r><w:t>kept</w:t></w:r></w:p>)");
    EXPECT_EQ(text("letter.docx", "docx"), "Dear Ann, \na\tb\nc & d\nkept\n");

    testing::writeLongDocx(at("long.docx"), 200);
    auto longText = text("long.docx", "docx", 1000);
    ASSERT_TRUE(longText);
    EXPECT_TRUE(longText->starts_with(madeLine(1, 1) + "\n" + madeLine(1, 2) + "\n"));
    EXPECT_GT(longText->size(), 1000u);
    EXPECT_LT(longText->size(), 1200u) << "reading stops once it has enough";
}

TEST_F(DocumentReadersTest, OpenDocumentSpellsOutSpacesAndSkipsTrackedDeletions) {
    testing::writeOdt(at("note.odt"),
                      R"(<text:tracked-changes><text:changed-region><text:deletion><text:p>gone</text:p>)"
                      R"(</text:deletion></text:changed-region></text:tracked-changes>)"
                      R"(<text:h>Title</text:h><text:p>a<text:s text:c="3"/>b<text:tab/>c<text:line-break/>)"
                      R"(<text:span>d</text:span></text:p><text:p/><text:p>end</text:p>)");
    EXPECT_EQ(text("note.odt", "odt"), "Title\na   b\tc\nd\nend\n");
}

TEST_F(DocumentReadersTest, DamagedOrIncompleteArchivesAreNoDocument) {
    testing::writeLongDocx(at("whole.docx"), 20);
    auto bytes = contents(at("whole.docx"));
    EXPECT_EQ(written("cut.docx", bytes.substr(0, bytes.size() / 2), "docx"), std::nullopt);
    EXPECT_EQ(written("noise.docx", std::string(4000, '\x5a'), "docx"), std::nullopt);
    testing::writeZip(at("empty.docx"), {{"word/other.xml", "<x/>"}});
    EXPECT_EQ(text("empty.docx", "docx"), std::nullopt);
    testing::writeDocx(at("broken.docx"), "<w:p><w:r><w:t>unclosed");
    EXPECT_EQ(text("broken.docx", "docx"), std::nullopt);
    EXPECT_EQ(text("missing.odt", "odt"), std::nullopt);
    EXPECT_EQ(written("old.doc", bytes, "doc"), std::nullopt) << "Word 97 is not read";
}

TEST_F(DocumentReadersTest, RtfTextLeavesTablesAndPicturesOutAndDecodesEscapes) {
    auto read = written("letter.rtf",
                        R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0\fswiss Helvetica;}}{\colortbl;\red255\green0\blue0;})"
                        R"({\stylesheet{\s1 Heading;}}{\info{\title Secret title}}{\*\generator Writer;})"
                        "\\f0 Caf\\'e9 \\u8364? \\uc0\\u-10179\\u-8704  ok\\par\n"
                        R"(a\tab b\line {\pict\pngblip 89504e47}c \{braces\} \\ \emdash\par)"
                        R"({\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}}})",
                        "rtf");
    EXPECT_EQ(read, "Café € \U0001F600 ok\na\tb\nc {braces} \\ \u2014\nlink");
    EXPECT_EQ(written("fake.rtf", "plain words", "rtf"), std::nullopt);
}

TEST_F(DocumentReadersTest, HtmlKeepsTheTextOfItsBlocksAndDropsScriptsAndStyles) {
    EXPECT_EQ(written("page.html",
                      "<html><head><title>T</title><style>p{}</style></head><body><h1>Head  line</h1>"
                      "<p>one\n   two <b>bold</b>&amp;<i>x</i></p><script>var a = 1;</script>"
                      "<ul><li>first</li><li>second</li></ul><pre>a  b\n c</pre>"
                      "<table><tr><td>c1</td><td>c2</td></tr></table></body></html>",
                      "html"),
              "Head line\none two bold&x\nfirst\nsecond\na  b\n c\nc1 c2\n");
    EXPECT_EQ(written("latin.htm", "<html><head><meta charset=\"iso-8859-1\"></head><body><p>caf\xe9</p></body></html>",
                      "htm"),
              "café\n");
}

TEST_F(DocumentReadersTest, PlainTextIsDecodedAndBinaryFilesUnderTextNamesGiveNothing) {
    EXPECT_EQ(written("bom.txt", "\xEF\xBB\xBFh\xC3\xA9llo", "txt"), "héllo");
    EXPECT_EQ(written("wide.txt", std::string("\xFF\xFEh\0\xE9\0", 6), "txt"), "hé");
    EXPECT_EQ(written("bare.md", std::string("#\0 \0h\0i\0!\0", 10), "md"), "# hi!");
    EXPECT_EQ(written("latin.text", "caf\xe9 \x93quoted\x94", "text"), "café \u201Cquoted\u201D");
    EXPECT_EQ(written("stray.txt", "a long line of text with one stray NUL" + std::string(1, '\0') + " in it", "txt"),
              "a long line of text with one stray NUL in it");
    std::string noise;
    for (int i = 0; i < 5000; ++i) noise += static_cast<char>((i * 7919) % 256);
    EXPECT_EQ(written("noise.txt", "\x89PNG\r\n\x1a\n" + noise, "txt"), std::nullopt);

    // Only as much is read as could be wanted, and a multi-byte character cut by that stays out.
    std::string accents;
    for (int i = 0; i < 3000; ++i) accents += "\xC3\xA9";
    testing::writeFile(at("long.txt"), accents);
    auto bounded = text("long.txt", "txt", 1000);
    ASSERT_TRUE(bounded);
    EXPECT_EQ(*bounded, accents.substr(0, 4004));

    // Whatever is not a regular file is not waited on.
    ASSERT_EQ(::mkfifo(at("pipe.txt").c_str(), 0600), 0);
    EXPECT_EQ(text("pipe.txt", "txt"), std::nullopt);
    std::filesystem::create_symlink("/dev/zero", at("zero.txt"));
    EXPECT_EQ(text("zero.txt", "txt"), std::nullopt);
    std::filesystem::remove(at("bom.txt"));
    EXPECT_EQ(text("bom.txt", "txt"), std::nullopt);
}

}  // namespace
}  // namespace nimbo
