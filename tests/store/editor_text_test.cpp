// The text document of texts written offline: display lines, files, quoted copies, and the
// editor settings kept in the user's document.

#include "store/editor_text.h"

#include <gtest/gtest.h>

#include "platform/atomic_file.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "store/document.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

std::vector<std::string> texts(const CComDoc& doc) {
    std::vector<std::string> out;
    for (const auto& p : doc.paragraphs()) out.push_back(p.text);
    return out;
}

TEST(EditorText, FilesKeepTheirBytesAndAnEmptyTextLeavesNoFile) {
    test::TempDir dir;
    const EditorSettings settings = EditorSettings::defaults();
    CComDoc doc(settings);
    std::string error;

    ASSERT_TRUE(doc.load(dir / "missing.MSG", &error));
    EXPECT_EQ(texts(doc), std::vector<std::string>{""});

    ASSERT_TRUE(writeFileAtomically(dir / "a.MSG", "a\nb\n"));
    ASSERT_TRUE(doc.load(dir / "a.MSG", &error));
    EXPECT_EQ(texts(doc), (std::vector<std::string>{"a", "b", ""}));
    EXPECT_FALSE(doc.modified());
    ASSERT_TRUE(doc.save(dir / "b.MSG", &error));
    std::string bytes;
    ASSERT_TRUE(readWholeFile(dir / "b.MSG", bytes));
    EXPECT_EQ(bytes, "a\nb\n");

    // CR is dropped, NUL becomes a space, the last line needs no line end.
    doc.setText(std::string("x\r\ny\0z", 6));
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(doc.text(), "x\ny z");

    doc.setText("");
    ASSERT_TRUE(doc.save(dir / "b.MSG", &error));
    EXPECT_FALSE(std::filesystem::exists(dir / "b.MSG"));
    EXPECT_TRUE(doc.save(dir / "b.MSG", &error));  // nothing to delete

    // A file that cannot be read leaves the text as it was.
    doc.setText("kept");
    EXPECT_FALSE(doc.load(dir.path(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(doc.text(), "kept");
    // A save that cannot be written says so and keeps the text as changed.
    EXPECT_FALSE(doc.save(dir / "no-such-folder" / "x.MSG", &error));
    EXPECT_TRUE(doc.modified());
}

TEST(EditorText, DisplayLinesAreNumberedAcrossParagraphs) {
    const EditorSettings settings = EditorSettings::defaults();
    CComDoc doc(settings);
    doc.setText(std::string(150, 'a') + "\nshort\n" + std::string(71, 'b'));
    ASSERT_EQ(doc.paragraphs().size(), 3u);
    EXPECT_EQ(doc.paragraphs()[0].lineCount(), 3);
    EXPECT_EQ(doc.paragraphs()[1].firstLine, 3);
    EXPECT_EQ(doc.paragraphs()[2].firstLine, 4);
    EXPECT_EQ(doc.displayLineCount(), 6);

    EXPECT_EQ(doc.positionAt(1, 5).paragraph, 0u);
    EXPECT_EQ(doc.positionAt(1, 5).offset, 75u);
    EXPECT_EQ(doc.positionAt(3, 99).offset, 5u);
    EXPECT_EQ(doc.positionAt(5, 0).paragraph, 2u);
    EXPECT_EQ(doc.positionAt(5, 0).offset, 70u);
    EXPECT_EQ(doc.positionAt(99, 0).paragraph, 2u);  // clamped to the last line

    // An edit breaks the paragraph again and renumbers those after it.
    doc.setParagraphText(0, "one line");
    EXPECT_EQ(doc.paragraphs()[2].firstLine, 2);
    doc.joinWithNext(0);
    EXPECT_EQ(doc.paragraphs()[0].text, "one lineshort");
    EXPECT_EQ(doc.paragraphs()[1].firstLine, 1);
    ASSERT_TRUE(doc.insertParagraph(0, std::string(80, 'c')));
    EXPECT_EQ(doc.paragraphs()[1].firstLine, 2);
    EXPECT_EQ(doc.displayLineCount(), 5);
}

TEST(EditorText, CopyWithTheQuoteMark) {
    const EditorSettings settings = EditorSettings::defaults();
    CComDoc doc(settings);
    doc.setText("abcdef\nmiddle\nghi\n");
    EXPECT_EQ(doc.copy({0, 1}, {0, 4}, false), "bcd");
    EXPECT_EQ(doc.copy({0, 1}, {0, 4}, true), ">bcd");
    EXPECT_EQ(doc.copy({0, 3}, {2, 2}, true), ">def\r\n>middle\r\n>gh");
    // Ending at offset 0 of a following paragraph leaves a lone quote mark ...
    EXPECT_EQ(doc.copy({0, 3}, {1, 0}, true), ">def\r\n>");
    // ... unless that paragraph is empty.
    EXPECT_EQ(doc.copy({2, 0}, {3, 0}, true), ">ghi\r\n");
    EXPECT_EQ(doc.copy({2, 0}, {3, 0}, false), "ghi\r\n");
}

TEST(EditorText, SettingsLiveInTheDocument) {
    test::TempDir dir;
    Registry registry{dir / "Morvaline.conf"};
    const OpenRequest request{dir.path(), "MVL00001", "secret"};
    {
        auto doc = CTolDoc::open(request, registry).doc;
        ASSERT_TRUE(doc);
        EXPECT_EQ(doc->editorSettings(), EditorSettings::defaults());
        EditorSettings s = doc->editorSettings();
        s.normalWidth = 60;
        s.quotedWidth = 200;             // out of range: the default
        s.quoteMark = sj("＞＞＞＞＞");  // cut to 8 bytes, whole characters
        s.words = {{"(^^)", 0}, {"", 1}, {sj("分割しない長い長い単語"), 1}};
        doc->setEditorSettings(s);
        ASSERT_TRUE(doc->save());
        doc->close();
    }
    auto doc = CTolDoc::open(request, registry).doc;
    ASSERT_TRUE(doc);
    const EditorSettings s = doc->editorSettings();
    EXPECT_EQ(s.normalWidth, 60);
    EXPECT_EQ(s.quotedWidth, 78);
    EXPECT_EQ(s.quoteMark, sj("＞＞＞＞"));
    ASSERT_EQ(s.words.size(), 2u);
    EXPECT_EQ(s.words[0], (UnsplittableWord{"(^^)", 0}));
    EXPECT_EQ(s.words[1].word, sj("分割しない長い"));
    EXPECT_EQ(s.lineStartForbidden, EditorSettings::defaults().lineStartForbidden);

    // A document that never stored them (an older data set) gets the defaults.
    doc->setInteger(docint::kEditorFirst, 0);
    EXPECT_EQ(doc->editorSettings(), EditorSettings::defaults());
    doc->close();
}

}  // namespace
}  // namespace morvaline
