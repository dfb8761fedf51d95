// The text box behind the serial monitor: its compact line store, time
// stamps, what screen readers see, and the saved log.
#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTime>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "panel/Tarviktest.h"
#include "panel/panel.h"
#include "runtime/line_store.h"
#include "runtime/qt_access.h"
#include "runtime/text_box_accessible.h"
#include "runtime/text_box_widget.h"
#include "runtime/userint.h"
#include "tarvik_version.h"
#include "tests/support/console_fixture.h"

using tarvik::rt::LineStore;
using tarvik::rt::TextBoxWidget;

namespace {

std::vector<std::string> linesOf(const LineStore& store) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < store.size(); ++i) lines.emplace_back(store.line(i));
    return lines;
}

QStringList shownLines(const TextBoxWidget& box) {
    QStringList lines;
    for (int i = 0; i < box.lineCount(); ++i) lines << box.shownLine(i);
    return lines;
}

QStringList readLog(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

}  // namespace

TEST(LineStoreTest, EditsAnywhereKeepEveryOtherLineAndItsStamp) {
    LineStore store;
    for (const char* text : {"alpha", "beta", "gamma"}) ASSERT_TRUE(store.append(text, 1));
    // The last line, as the upgrade's progress line is rewritten: longer, then shorter.
    ASSERT_TRUE(store.replace(2, "Sending line......10", 2));
    ASSERT_TRUE(store.replace(2, "G", 3));
    // Lines in the middle, growing and shrinking, move the lines after them.
    ASSERT_TRUE(store.replace(1, "a much longer beta", 4));
    ASSERT_TRUE(store.replace(0, "", 5));
    ASSERT_TRUE(store.insert(0, "first", 6));
    ASSERT_TRUE(store.insert(2, "middle", 7));
    ASSERT_TRUE(store.insert(store.size(), "last", 8));
    EXPECT_EQ(linesOf(store),
              (std::vector<std::string>{"first", "", "middle", "a much longer beta", "G", "last"}));
    std::vector<LineStore::Stamp> stamps;
    for (std::size_t i = 0; i < store.size(); ++i) stamps.push_back(store.stamp(i));
    EXPECT_EQ(stamps, (std::vector<LineStore::Stamp>{6, 5, 7, 4, 3, 8}));

    // A line copied from the store onto another must not read bytes that moved.
    ASSERT_TRUE(store.replace(1, store.line(3), 9));
    ASSERT_TRUE(store.insert(0, store.line(5), 9));
    EXPECT_EQ(linesOf(store),
              (std::vector<std::string>{"last", "first", "a much longer beta", "middle",
                                        "a much longer beta", "G", "last"}));

    const auto before = linesOf(store);
    EXPECT_FALSE(store.replace(store.size(), "x", 0));
    EXPECT_FALSE(store.insert(store.size() + 1, "x", 0));
    EXPECT_EQ(linesOf(store), before) << "a refused edit must change nothing";
}

TEST(LineStoreTest, TextRoundTripsExactlyAndClearFreesEverything) {
    LineStore store;
    const std::string mixed = "Grüße € 😀\tend";
    ASSERT_TRUE(store.append(mixed, 0));
    EXPECT_EQ(store.line(0), mixed);
    // ü, ß, €: one unit each; the emoji: a surrogate pair.
    EXPECT_EQ(static_cast<qsizetype>(tarvik::rt::Utf16Length(mixed)),
              QString::fromStdString(mixed).size());

    constexpr int kMany = 200000;
    char text[32];
    for (int i = 0; i < kMany; ++i) {
        std::snprintf(text, sizeof text, "RX: %08X", static_cast<unsigned>(i));
        ASSERT_TRUE(store.append(text, static_cast<LineStore::Stamp>(i)));
    }
    ASSERT_EQ(store.size(), static_cast<std::size_t>(kMany + 1));
    for (int i = 0; i < kMany; ++i) {
        std::snprintf(text, sizeof text, "RX: %08X", static_cast<unsigned>(i));
        ASSERT_EQ(store.line(static_cast<std::size_t>(i + 1)), text) << "line " << i + 1;
        ASSERT_EQ(store.stamp(static_cast<std::size_t>(i + 1)), static_cast<LineStore::Stamp>(i));
    }
    EXPECT_GT(store.capacityBytes(), 0u);

    store.clear();
    EXPECT_TRUE(store.empty());
    EXPECT_EQ(store.capacityBytes(), 0u) << "a cleared store must hold no memory";
    ASSERT_TRUE(store.append("again", 1));
    EXPECT_EQ(linesOf(store), std::vector<std::string>{"again"});
}

class TextBoxTest : public ConsoleTest {
  protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        box = qobject_cast<TextBoxWidget*>(
            tarvik::rt::ControlWidget(g_hmainPanel, PANEL_SERIAL_WINDOW));
        ASSERT_NE(box, nullptr);
    }
    void append(const char* text) {
        ASSERT_EQ(InsertTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, -1, text), 0);
    }
    QAccessibleTextInterface* accessibleText() {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(box);
        return iface ? iface->textInterface() : nullptr;
    }

    TextBoxWidget* box = nullptr;
};

TEST_F(TextBoxTest, ResetSplitsLinesAndTheProgramReadsBackExactBytes) {
    ASSERT_EQ(ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "one\nGrüße 😀\n\nlast"), 0);
    EXPECT_EQ(monitorLines(), (std::vector<std::string>{"one", "Grüße 😀", "", "last"}));
    EXPECT_EQ(box->line(1), QStringLiteral("Grüße 😀"));
    // The rewritten last line stays the last line, whatever its length.
    for (int n : {1, 10, 100, 1000})
        ReplaceTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, 3,
                           ("Sending line......" + std::to_string(n)).c_str());
    EXPECT_EQ(lastMonitorLine(), "Sending line......1000");
    EXPECT_EQ(monitorLines().size(), 4u);
}

TEST_F(TextBoxTest, TimeStampsAreShownCopiedAndSavedButNeverReadBack) {
    append("TX: 42000002");
    append("RX: 42000002");
    EXPECT_FALSE(box->showTimeStamps()) << "off by default";
    EXPECT_EQ(box->shownLine(0), QStringLiteral("TX: 42000002"));

    box->setShowTimeStamps(true);
    const QRegularExpression stamped(QStringLiteral("^(\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d) (.*)$"));
    const QStringList shown = shownLines(*box);
    ASSERT_EQ(shown.size(), 2);
    for (int i = 0; i < shown.size(); ++i) {
        const QRegularExpressionMatch match = stamped.match(shown[i]);
        ASSERT_TRUE(match.hasMatch()) << shown[i].toStdString();
        EXPECT_EQ(match.captured(2), box->line(i));
        // Local time of day, as logged a moment ago (either side of midnight).
        const QTime stamp = QTime::fromString(match.captured(1), QStringLiteral("hh:mm:ss.zzz"));
        ASSERT_TRUE(stamp.isValid());
        constexpr int kMsPerDay = 24 * 60 * 60 * 1000, kMinuteMs = 60 * 1000;
        const int apart = std::abs(stamp.msecsTo(QTime::currentTime()));
        EXPECT_LT(std::min(apart, kMsPerDay - apart), kMinuteMs);
    }

    box->selectAll();
    EXPECT_EQ(box->selectedText(), shown.join(QLatin1Char('\n')));
    QAccessibleTextInterface* text = accessibleText();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(0, text->characterCount()), shown.join(QLatin1Char('\n')));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.txt"));
    ASSERT_TRUE(box->saveLog(path, nullptr));
    EXPECT_EQ(readLog(path).mid(1, 2), shown);

    // What the program reads back has no stamp, and no line more.
    EXPECT_EQ(monitorLines(), (std::vector<std::string>{"TX: 42000002", "RX: 42000002"}));
    box->setShowTimeStamps(false);
    EXPECT_EQ(box->selectedText(), QStringLiteral("TX: 42000002\nRX: 42000002"));
}

TEST_F(TextBoxTest, ContextMenuOffersStampsAndSavingAfterCopy) {
    append("line");
    QStringList entries;
    // The menu runs its own loop; it is read and closed from there once it shows.
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        reader.stop();
        for (QAction* action : menu->actions()) {
            entries << (action->isSeparator() ? QStringLiteral("|") : action->text());
            if (action->text() == QStringLiteral("Show time stamps")) action->trigger();
        }
        menu->close();
    });
    reader.start(0);
    // A right click reaches the box through its viewport.
    const QPoint at(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, box->viewport()->mapToGlobal(at));
    QApplication::sendEvent(box->viewport(), &event);
    EXPECT_EQ(entries, (QStringList{"Copy", "Select All", "|", "Show time stamps", "|",
                                    QStringLiteral("Save log as…")}));
    EXPECT_TRUE(box->showTimeStamps());
}

TEST_F(TextBoxTest, ScreenReadersReadTheLinesAsShown) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(box);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::EditableText);
    EXPECT_TRUE(iface->state().readOnly);
    EXPECT_TRUE(iface->state().multiLine);
    EXPECT_EQ(iface->text(QAccessible::Name), box->accessibleName());
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Serial monitor"));
    QAccessibleTextInterface* text = iface->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), 0);

    for (const char* line : {"TX: 42000002", "Grüße 😀", "", "RX: 00000001"}) append(line);
    const QString joined = QStringLiteral("TX: 42000002\nGrüße 😀\n\nRX: 00000001");
    EXPECT_EQ(text->characterCount(), joined.size());
    EXPECT_EQ(text->text(0, text->characterCount()), joined);
    EXPECT_EQ(text->text(5, 16), joined.mid(5, 11)) << "a range across a line end";

    int start = 0, end = 0;
    const int inSecond = static_cast<int>(joined.indexOf(QStringLiteral("ß")));
    EXPECT_EQ(text->textAtOffset(inSecond, QAccessible::LineBoundary, &start, &end),
              QStringLiteral("Grüße 😀\n"));
    EXPECT_EQ(start, 13);
    EXPECT_EQ(end, 22);
    EXPECT_EQ(text->textAfterOffset(inSecond, QAccessible::LineBoundary, &start, &end),
              QStringLiteral("\n"));
    EXPECT_EQ(text->textBeforeOffset(inSecond, QAccessible::LineBoundary, &start, &end),
              QStringLiteral("TX: 42000002\n"));
    EXPECT_EQ(text->textAtOffset(-1, QAccessible::LineBoundary, &start, &end),
              QStringLiteral("RX: 00000001"));
    EXPECT_EQ(text->textAtOffset(0, QAccessible::WordBoundary, &start, &end), QStringLiteral("TX"));

    // Selections are whole lines, and stay on their lines when lines come before them.
    EXPECT_EQ(text->selectionCount(), 0);
    text->setSelection(0, inSecond, inSecond + 2);
    EXPECT_EQ(box->selectedText(), QStringLiteral("Grüße 😀"));
    ASSERT_EQ(text->selectionCount(), 1);
    text->selection(0, &start, &end);
    EXPECT_EQ(start, 13);
    EXPECT_EQ(end, 21);
    text->setSelection(0, 13, 23);  // ends at the start of the last line, which stays out
    EXPECT_EQ(box->selectedText(), QStringLiteral("Grüße 😀\n"));
    InsertTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, 0, "new first");
    EXPECT_EQ(box->selectedText(), QStringLiteral("Grüße 😀\n"));
    text->removeSelection(0);
    EXPECT_EQ(text->selectionCount(), 0);

    box->setShowTimeStamps(true);
    EXPECT_EQ(text->text(0, text->characterCount()), shownLines(*box).join(QLatin1Char('\n')));
}

TEST_F(TextBoxTest, ScreenReadersAreToldOnlyWhatChanged) {
    using tarvik::rt::DescribeTextChange;
    append("a");
    append("bb");
    const qint64 twoLines = box->shownLength();
    append("c");
    append("d");
    auto change = DescribeTextChange(*box, 2, twoLines);
    EXPECT_EQ(change.position, twoLines);
    EXPECT_EQ(change.removed, 0);
    EXPECT_EQ(change.inserted, QStringLiteral("\nc\nd"));

    const qint64 fourLines = box->shownLength();
    ReplaceTextBoxLine(g_hmainPanel, PANEL_SERIAL_WINDOW, 3, "Sending line......2");
    change = DescribeTextChange(*box, 3, fourLines);
    EXPECT_EQ(change.position, fourLines - 2);
    EXPECT_EQ(change.removed, 2) << "the line end and the old last line";
    EXPECT_EQ(change.inserted, QStringLiteral("\nSending line......2"));

    const qint64 before = box->shownLength();
    ResetTextBox(g_hmainPanel, PANEL_SERIAL_WINDOW, "");
    change = DescribeTextChange(*box, 0, before);
    EXPECT_EQ(change.position, 0);
    EXPECT_EQ(change.removed, before);
    EXPECT_TRUE(change.inserted.isEmpty());
}

TEST_F(TextBoxTest, SavedLogNamesVersionAndPortThenEveryLine) {
    append("Connected to COM1");
    append("TX: 42000002");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.txt"));
    ASSERT_EQ(SetTextBoxSaveNote(g_hmainPanel, PANEL_SERIAL_WINDOW, ""), 0);
    ASSERT_TRUE(box->saveLog(path, nullptr));
    EXPECT_TRUE(readLog(path).value(0).endsWith(QStringLiteral(", port not set")))
        << readLog(path).value(0).toStdString();

    ASSERT_EQ(SetTextBoxSaveNote(g_hmainPanel, PANEL_SERIAL_WINDOW, "COM1 (/dev/ttyUSB0)"), 0);
    QString error;
    ASSERT_TRUE(box->saveLog(path, &error)) << error.toStdString();
    const QStringList saved = readLog(path);
    const QRegularExpression header(
        QStringLiteral("^Tarvikdebug %1 serial monitor log, saved "
                       "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d, port COM1 \\(/dev/ttyUSB0\\)$")
            .arg(QRegularExpression::escape(QStringLiteral(TARVIK_VERSION))));
    EXPECT_TRUE(header.match(saved.value(0)).hasMatch()) << saved.value(0).toStdString();
    EXPECT_EQ(saved.mid(1), (QStringList{"Connected to COM1", "TX: 42000002", ""}))
        << "every line, each ended by '\\n'";

    const QString nowhere = dir.filePath(QStringLiteral("missing/log.txt"));
    EXPECT_FALSE(box->saveLog(nowhere, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(nowhere));
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
}

TEST_F(TextBoxTest, SaveNoteGoesOnlyToATextBox) {
    ASSERT_EQ(SetTextBoxSaveNote(g_hmainPanel, PANEL_SERIAL_WINDOW, "COM2 (/dev/ttyS1)"), 0);
    EXPECT_EQ(SetTextBoxSaveNote(g_hmainPanel, 9999, "COM1"), UIE_BAD_CONTROL);
    EXPECT_EQ(SetTextBoxSaveNote(g_hmainPanel + 100, PANEL_SERIAL_WINDOW, "COM1"), UIE_BAD_CONTROL);
    EXPECT_EQ(SetTextBoxSaveNote(g_hmainPanel, PANEL_COM_PORT, "COM1"), UIE_BAD_CONTROL);
    EXPECT_EQ(box->saveNote(), QStringLiteral("COM2 (/dev/ttyS1)"))
        << "a refused note must not land anywhere";
    EXPECT_EQ(SetTextBoxSaveNote(g_hmainPanel, PANEL_SERIAL_WINDOW, nullptr), 0);
    EXPECT_TRUE(box->saveNote().isEmpty());
}
