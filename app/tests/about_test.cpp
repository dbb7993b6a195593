// The about window and the Thai number puzzle, driven through the window: the help text and its
// copy button, the OK button, and whole games played with mouse clicks on the puzzle, with the
// random draws scripted or seeded, checked on the puzzle's pixels.
#include <gtest/gtest.h>

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <deque>
#include <set>

#include "app/helptext.h"
#include "app/numberpuzzle.h"
#include "app/tests/app_fixture.h"
#include "app/tests/fake_services.h"
#include "app/uabout.h"
#include "app/umekalon.h"
#include "platform/clipboard.h"
#include "platform/qt_surface.h"
#include "platform/random.h"

namespace {

// Hands out scripted draws; counts the reseeds.
class ScriptedRandom : public platform::RandomSource {
public:
    std::deque<int> draws;
    int randomizes = 0;
    std::vector<int> bounds;
    void Randomize() override { ++randomizes; }
    int Below(int bound) override {
        bounds.push_back(bound);
        if (draws.empty()) {
            ADD_FAILURE() << "more draws than scripted";
            return 0;
        }
        const int v = draws.front();
        draws.pop_front();
        return v;
    }
};

// Records which of the program's windows were shown modally.
class RecordingServices : public ScriptedServices {
public:
    std::vector<std::string> modalWindows;
    int ShowModal(QDialog& dialog) override {
        modalWindows.push_back(dialog.objectName().toStdString());
        if (modalAnswers.empty()) modalAnswers.push_back(platform::mrOk);
        return ScriptedServices::ShowModal(dialog);
    }
};

class AboutTest : public ::testing::Test, protected TestWindows {
protected:
    void SetUp() override {
        platform::InstallRandom(&random);
        CreateWindows();
        fabout->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(fabout));
        puzzle = fabout->numberpuzzle1;
        stored = platform::QtImage(Tnumberpuzzle::DigitPicture()).copy();
    }
    void TearDown() override {
        DestroyWindows();
        platform::InstallRandom(nullptr);
    }

    // A click (press and release, any button) at the centre of position p.
    void ClickPlace(int p, Qt::MouseButton button = Qt::LeftButton) {
        const platform::Rect& r = puzzle->places[p];
        QTest::mouseClick(puzzle, button, Qt::NoModifier, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    // The picture shown at position p now, and tile i as stored.
    QImage Shown(int p) {
        const platform::Rect& r = puzzle->places[p];
        return platform::QtImage(puzzle->Picture).copy(r.left, r.top, r.Width(), r.Height()).convertToFormat(QImage::Format_RGB32);
    }
    QImage StoredTile(int i) const {
        const int row = (i - 1) / 10, col = (i - 1) % 10;
        return stored.copy(col * 30, row * 30, 30, 30).convertToFormat(QImage::Format_RGB32);
    }
    static bool IsHatch(const QImage& img) {
        bool black = false, white = false;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb c = img.pixel(x, y) & 0xFFFFFF;
                if (c == 0) black = true;
                else if (c == 0xFFFFFF) white = true;
                else return false;
            }
        return black && white;
    }
    // Every visible tile shows its own picture where it stands; while playing, the hidden tile's
    // place shows the hatch and the spare bitmap holds the hidden tile.
    void ExpectPictureMatchesTiles() {
        const bool playing = puzzle->clicks >= 2;
        for (int i = 1; i <= 20; ++i) {
            const QImage shown = Shown(puzzle->tiles[i].position);
            if (playing && i == puzzle->hole) {
                EXPECT_TRUE(IsHatch(shown)) << "hole at " << puzzle->tiles[i].position;
                EXPECT_EQ(platform::QtImage(puzzle->spare).convertToFormat(QImage::Format_RGB32), StoredTile(i));
            } else {
                EXPECT_EQ(shown, StoredTile(i)) << "tile " << i << " at " << puzzle->tiles[i].position;
            }
        }
    }
    std::vector<int> Positions() const {
        std::vector<int> v;
        for (int i = 1; i <= 20; ++i) v.push_back(puzzle->tiles[i].position);
        return v;
    }
    std::string Score() const { return fabout->Label2->text().toStdString(); }
    // Scripts a shuffle: draws for the targets (0-based) and the hole.
    void Script(const std::vector<int>& targetDraws, int holeDraw) {
        random.draws.assign(targetDraws.begin(), targetDraws.end());
        random.draws.push_back(holeDraw);
    }
    // The clicks that bring every tile home from the current state, hole included.
    std::vector<int> SolvingClicks() const {
        std::array<int, 21> pos{};
        for (int i = 1; i <= 20; ++i) pos[i] = puzzle->tiles[i].position;
        const int h = puzzle->hole;
        std::vector<int> clicks;
        for (;;) {
            int t = 0;
            if (pos[h] != h) {
                t = pos[h];  // the tile that belongs where the hole is
            } else {
                for (int i = 1; i <= 20 && !t; ++i)
                    if (pos[i] != i) t = i;
                if (!t) break;
            }
            clicks.push_back(pos[t]);
            std::swap(pos[t], pos[h]);
        }
        return clicks;
    }

    ScriptedRandom random;
    RecordingServices services;
    Tnumberpuzzle* puzzle = nullptr;
    QImage stored;
};

// Draws (0-based) for a reversed order: tile i goes to 21 - i.
std::vector<int> Reversed() {
    std::vector<int> d;
    for (int i = 1; i <= 20; ++i) d.push_back(20 - i);
    return d;
}

TEST_F(AboutTest, WindowShowsNameVersionHelpAndPuzzle) {
    EXPECT_EQ(fabout->windowTitle().toStdString(), "About");
    EXPECT_EQ(fabout->size(), QSize(528, 514));
    EXPECT_EQ(fabout->l0->text().toStdString(), "Mekalon 5.2");
    EXPECT_EQ(fabout->copybtn->text().toStdString(), "Copy Selected Text");
    EXPECT_EQ(fabout->Okbtn->text().toStdString(), "OK");
    EXPECT_EQ(fabout->Label1->text().toStdString(), "The Thai number puzzle");
    EXPECT_EQ(fabout->btnnewgame->text().toStdString(), "New Game");
    EXPECT_TRUE(fabout->Label2->text().isEmpty());
    EXPECT_TRUE(fabout->Memo1->isReadOnly());
    EXPECT_EQ(fabout->Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
    // The puzzle takes the size of its picture inside the panel.
    EXPECT_EQ(puzzle->parentWidget(), fabout->Panel1);
    EXPECT_EQ(puzzle->geometry(), QRect(112, 32, 300, 60));
    EXPECT_TRUE(fabout->Panel1->geometry().contains(puzzle->geometry().translated(fabout->Panel1->pos())));
    EXPECT_EQ(puzzle->grab().toImage().convertToFormat(QImage::Format_RGB32).copy(0, 0, 300, 60),
              stored.convertToFormat(QImage::Format_RGB32));
}

TEST_F(AboutTest, HelpTextStartsWithNameAndRunsThroughTheMenusInOrder) {
    const QStringList lines = fabout->Memo1->toPlainText().split('\n');
    ASSERT_GT(lines.size(), 140);
    EXPECT_TRUE(lines[0].startsWith("Mekalon 5.2"));
    EXPECT_TRUE(lines[1].size() > 10 && lines[1].count('=') == lines[1].size());
    EXPECT_TRUE(lines[2].contains("README"));
    const char* sections[] = {"PRINTING", "EDITOR KEYS", "SELECTING", "COPYING WORDS", "THAI SEQUENCE",
                              "\"Vitual Kbd\"", "\"Keyboard F2\"", "\"Thai on A..Z\"", "\"Search F3\"", "\"Options\"",
                              "\"Dictionary\"", "\"Wordlist\"", "\"Lookup\"", "\"Convert\"", "\"About\"", "DESKTOP"};
    int last = -1;
    for (const char* s : sections) {
        int at = -1;
        for (int i = 0; i < lines.size() && at < 0; ++i)
            if (lines[i].startsWith(QString::fromLatin1(s))) at = i;
        EXPECT_GT(at, last) << s;
        last = std::max(last, at);
    }
    // Every line fits the text box without wrapping (the box shows some 64 columns).
    for (const QString& l : lines) EXPECT_LE(l.size(), 64) << l.toStdString();
    for (const char* form : {"*xyz", "xyz*", "*xyz*", "x**y*z", "[to]", "how_are_you", "30"})
        EXPECT_TRUE(fabout->Memo1->toPlainText().contains(QString::fromLatin1(form))) << form;
}

TEST_F(AboutTest, CopyButtonPutsTheSelectedHelpTextOnTheClipboard) {
    platform::SetClipboardText("keep");
    // Nothing selected: the clipboard is left alone.
    QTest::mouseClick(fabout->copybtn, Qt::LeftButton);
    EXPECT_EQ(platform::ClipboardText(), "keep");

    // The first two lines and the start of the third, selected with the keyboard.
    fabout->Memo1->setFocus();
    QTest::keyClick(fabout->Memo1, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(fabout->Memo1, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(fabout->Memo1, Qt::Key_Down, Qt::ShiftModifier);
    for (int i = 0; i < 4; ++i) QTest::keyClick(fabout->Memo1, Qt::Key_Right, Qt::ShiftModifier);
    QTest::mouseClick(fabout->copybtn, Qt::LeftButton);
    const QStringList lines = QString::fromLatin1(kHelpText).split('\n');
    const std::string expected = (lines[0] + "\r\n" + lines[1] + "\r\n" + lines[2].left(4)).toStdString();
    EXPECT_EQ(platform::ClipboardText(), expected);
    // The selection stays, so copying again gives the same text.
    EXPECT_TRUE(fabout->Memo1->textCursor().hasSelection());
}

TEST_F(AboutTest, OkClosesWithResultOneAndTheMenuShowsTheWindowModally) {
    QTest::mouseClick(fabout->Okbtn, Qt::LeftButton);
    EXPECT_FALSE(fabout->isVisible());
    EXPECT_EQ(fabout->result(), platform::mrOk);
    fmekalon->About1->trigger();
    EXPECT_EQ(services.modalWindows, std::vector<std::string>{"fabout"});
}

TEST_F(AboutTest, EveryShowingStartsAtTheTopOfTheHelpText) {
    auto topLine = [this] { return fabout->Memo1->cursorForPosition(QPoint(4, 4)).blockNumber(); };
    EXPECT_EQ(topLine(), 0);
    // Read down to the end, close, open again.
    fabout->Memo1->setFocus();
    QTest::keyClick(fabout->Memo1, Qt::Key_End, Qt::ControlModifier);
    ASSERT_GT(topLine(), 20);
    QTest::mouseClick(fabout->Okbtn, Qt::LeftButton);
    fabout->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fabout));
    EXPECT_EQ(topLine(), 0);
    EXPECT_EQ(fabout->Memo1->verticalScrollBar()->value(), 0);
}

TEST_F(AboutTest, StoredPictureHoldsTwentyDistinctYellowTiles) {
    ASSERT_EQ(stored.size(), QSize(300, 60));
    std::set<QByteArray> distinct;
    for (int i = 1; i <= 20; ++i) {
        const QImage tile = StoredTile(i);
        distinct.insert(QByteArray(reinterpret_cast<const char*>(tile.constBits()), tile.sizeInBytes()));
        int yellow = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 30; ++x)
                if ((tile.pixel(x, y) & 0xFFFFFF) == 0xFFFF00) ++yellow;
        EXPECT_GT(yellow, 450) << "tile " << i;
        EXPECT_LT(yellow, 880) << "tile " << i << " shows no digit";
    }
    EXPECT_EQ(distinct.size(), 20u);
}

TEST_F(AboutTest, FirstClickShufflesSecondHidesLaterClicksMoveIntoTheHole) {
    // Tile 1 draws 3 twice more before 7 is free: the targets form a permutation.
    std::vector<int> draws = Reversed();
    draws.insert(draws.begin() + 1, {19, 19});  // tile 2 first draws 20 twice, taken by tile 1
    Script(draws, 5);                           // hole: tile 6

    QTest::mouseClick(puzzle, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(random.randomizes, 1);
    EXPECT_TRUE(random.draws.empty());
    EXPECT_EQ(random.bounds, std::vector<int>(23, 20));
    EXPECT_EQ(puzzle->clicks, 1);
    for (int i = 1; i <= 20; ++i) EXPECT_EQ(puzzle->tiles[i].position, 21 - i);
    EXPECT_EQ(puzzle->hole, 6);
    ExpectPictureMatchesTiles();
    EXPECT_EQ(Score(), "Score= 0");

    // The second click hides tile 6 wherever the click lands (here: the right button, far away).
    ClickPlace(1, Qt::RightButton);
    EXPECT_EQ(puzzle->clicks, 2);
    EXPECT_EQ(puzzle->tiles[6].position, 15);
    ExpectPictureMatchesTiles();
    EXPECT_EQ(Score(), "Score= 0");

    // The hole itself: nothing happens.
    const QImage before = platform::QtImage(puzzle->Picture).copy();
    ClickPlace(15);
    EXPECT_EQ(puzzle->clicks, 2);
    EXPECT_EQ(platform::QtImage(puzzle->Picture), before);
    EXPECT_EQ(Score(), "Score= 0");

    // Any tile moves into the hole, also one that is not its neighbour: tile 20 stands at 1.
    ClickPlace(1);
    EXPECT_EQ(puzzle->clicks, 3);
    EXPECT_EQ(puzzle->tiles[20].position, 15);
    EXPECT_EQ(puzzle->tiles[6].position, 1);
    ExpectPictureMatchesTiles();
    EXPECT_EQ(Score(), "Score= 1");
    ClickPlace(20);  // tile 1 into the hole at 1
    EXPECT_EQ(puzzle->tiles[1].position, 1);
    EXPECT_EQ(puzzle->tiles[6].position, 20);
    ExpectPictureMatchesTiles();
    EXPECT_EQ(Score(), "Score= 2");
    EXPECT_TRUE(services.messages.empty());

    // The game survives closing and reopening the window.
    fabout->hide();
    fabout->show();
    EXPECT_EQ(puzzle->clicks, 4);
    ExpectPictureMatchesTiles();
}

TEST_F(AboutTest, SolvingAfterTwentyFiveMovesShowsTheScoreAndTheHiddenTile) {
    // Seeds until one gives a game that can be solved in exactly 25 moves (the shortest solution,
    // padded by moves there and back); every move changes the parity, so not every game can.
    bool played = false;
    for (std::uint64_t seed = 1; seed < 200 && !played; ++seed) {
        platform::SeededRandom seeded(seed);
        platform::InstallRandom(&seeded);
        ClickPlace(1);
        ClickPlace(1);
        ASSERT_EQ(puzzle->clicks, 2);
        const std::vector<int> plan = SolvingClicks();
        if (plan.size() > 25 || (25 - plan.size()) % 2 != 0) {
            QTest::mouseClick(fabout->btnnewgame, Qt::LeftButton);
            ASSERT_EQ(puzzle->clicks, 0);
            continue;
        }
        const int holePlace = puzzle->tiles[puzzle->hole].position;
        const int other = holePlace == 1 ? 2 : 1;
        for (size_t k = 0; k < (25 - plan.size()) / 2; ++k) {
            ClickPlace(other);
            ClickPlace(holePlace);
        }
        for (size_t k = 0; k < plan.size(); ++k) {
            ClickPlace(plan[k]);
            if (k + 1 < plan.size()) {
                ASSERT_TRUE(services.messages.empty()) << "ended early";
            }
        }
        played = true;
    }
    platform::InstallRandom(&random);
    ASSERT_TRUE(played);
    EXPECT_EQ(services.messages, std::vector<std::string>{"Game over - Score: 25"});
    EXPECT_EQ(puzzle->clicks, 0);
    EXPECT_EQ(Score(), "Score= 0");
    // The hidden tile is back: the picture is the stored one again.
    EXPECT_EQ(platform::QtImage(puzzle->Picture).convertToFormat(QImage::Format_RGB32), stored.convertToFormat(QImage::Format_RGB32));
}

TEST_F(AboutTest, ExchangedRowsCountAsSolved) {
    std::vector<int> draws;
    for (int i = 1; i <= 20; ++i) draws.push_back(i <= 10 ? i + 9 : i - 11);
    Script(draws, 0);  // hole: tile 1, standing at 11
    ClickPlace(4);
    ClickPlace(4);
    ASSERT_EQ(puzzle->tiles[1].position, 11);
    ClickPlace(3);   // tile 13 into the hole
    ClickPlace(11);  // and back
    EXPECT_EQ(services.messages, std::vector<std::string>{"Game over - Score: 2"});
    EXPECT_EQ(puzzle->clicks, 0);
    // Arabic digits on top, each above its Thai digit; no hole left.
    for (int i = 1; i <= 20; ++i) EXPECT_EQ(Shown(i <= 10 ? i + 10 : i - 10), StoredTile(i)) << i;

    // The tiles stay so until the next start, which arranges from there.
    Script(Reversed(), 0);
    ClickPlace(1);
    for (int i = 1; i <= 20; ++i) EXPECT_EQ(puzzle->tiles[i].position, 21 - i);
    ExpectPictureMatchesTiles();
}

TEST_F(AboutTest, AGameEndsOnlyWhenEveryDigitIsHome) {
    // Tiles 1 and 2 exchanged; the hole is tile 3, at home.
    std::vector<int> draws;
    for (int i = 1; i <= 20; ++i) draws.push_back(i == 1 ? 1 : i == 2 ? 0 : i - 1);
    Script(draws, 2);
    ClickPlace(1);
    ClickPlace(1);
    ClickPlace(1);  // tile 2 into the hole at 3: not solved
    EXPECT_TRUE(services.messages.empty());
    ClickPlace(2);  // tile 1 home
    EXPECT_TRUE(services.messages.empty());
    ClickPlace(3);  // tile 2 home, tile 3 back home: solved
    EXPECT_EQ(services.messages, std::vector<std::string>{"Game over - Score: 3"});
}

TEST_F(AboutTest, NewGameRestoresTheOrderedPicture) {
    const auto ordered = Positions();
    // Before any click: nothing happens.
    QTest::mouseClick(fabout->btnnewgame, Qt::LeftButton);
    EXPECT_EQ(puzzle->clicks, 0);
    EXPECT_EQ(random.randomizes, 0);
    EXPECT_EQ(Positions(), ordered);

    // Shuffled, nothing hidden yet.
    Script(Reversed(), 7);
    ClickPlace(1);
    ASSERT_NE(Positions(), ordered);
    QTest::mouseClick(fabout->btnnewgame, Qt::LeftButton);
    EXPECT_EQ(puzzle->clicks, 0);
    EXPECT_EQ(Positions(), ordered);
    EXPECT_EQ(platform::QtImage(puzzle->Picture), stored);

    // During a game: the hidden tile shows again and all go back in order.
    Script(Reversed(), 7);
    ClickPlace(1);
    ClickPlace(1);
    ClickPlace(1);
    ClickPlace(9);
    ASSERT_EQ(puzzle->clicks, 4);
    QTest::mouseClick(fabout->btnnewgame, Qt::LeftButton);
    EXPECT_EQ(puzzle->clicks, 0);
    EXPECT_EQ(Positions(), ordered);
    EXPECT_EQ(platform::QtImage(puzzle->Picture), stored);
    EXPECT_EQ(puzzle->score(), 0);
    // The next click starts a new game.
    Script(Reversed(), 0);
    ClickPlace(20);
    EXPECT_EQ(puzzle->clicks, 1);
}

}  // namespace
