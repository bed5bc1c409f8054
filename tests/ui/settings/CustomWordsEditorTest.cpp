// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/UiFixture.h"

#include "ui/RenderOutput.h"

#include "ui/kit/BorderlessButton.h"
#include "ui/kit/FadeAnimation.h"
#include "ui/kit/FlowScrollArea.h"
#include "ui/settings/ChipView.h"
#include "ui/settings/CustomWordsEditor.h"
#include "ui/settings/InputTab.h"
#include "ui/settings/SettingsView.h"
#include "ui/settings/VocabularySection.h"
#include "ui/settings/VocabularyTab.h"

#include "support/VirtualAnimationClock.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <functional>

using ui::ChipView;
using ui::CustomWordsEditor;

class CustomWords : public UiFixture
{
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        defaults->setString(QStringLiteral("prompt"),
                            QStringLiteral(" alpha ,,\u00a0beta\t, \t ,gamma,"));
        create();
        editor = std::make_unique<CustomWordsEditor>(*app);
        editor->resize(500, 300);
        editor->show();
        editor->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(editor.get()));
    }
    QStringList chipLabels() const
    {
        QStringList labels;
        for (const ChipView *chip : editor->chips())
            labels.append(chip->label());
        return labels;
    }
    QString storedPrompt() const
    {
        return defaults->string(QStringLiteral("prompt")).value_or(QStringLiteral("<none>"));
    }
    void type(const QString &text)
    {
        editor->field().setFocus();
        editor->field().setText(text);
        QTest::keyClick(&editor->field(), Qt::Key_Return);
    }

    std::unique_ptr<CustomWordsEditor> editor;
};

TEST_F(CustomWords, ChipsShowTheNormalisedWordsAndEditsStoreThemJoined)
{
    EXPECT_EQ(chipLabels(), (QStringList{"alpha", "beta", "gamma"}));
    testsupport::saveRender(*editor, QStringLiteral("custom-words"));

    // Removing through the chip's own button, which the removal deletes.
    editor->chips().at(1)->findChild<ui::BorderlessButton *>()->click();
    EXPECT_EQ(app->prompt(), QStringLiteral("alpha, gamma"));
    EXPECT_EQ(storedPrompt(), QStringLiteral("alpha, gamma"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(chipLabels(), (QStringList{"alpha", "gamma"}));

    // Added with the button while the field is not focused: the field gets the focus back.
    editor->field().setText(QStringLiteral("delta, epsilon"));
    editor->field().clearFocus();
    editor->addButton().click();
    EXPECT_EQ(storedPrompt(), QStringLiteral("alpha, gamma, delta, epsilon"));
    EXPECT_EQ(chipLabels(), (QStringList{"alpha", "gamma", "delta", "epsilon"}));
    EXPECT_TRUE(editor->field().text().isEmpty());
    EXPECT_TRUE(editor->field().hasFocus());

    // Case matters; a repeat within one input is added once; known words are skipped quietly.
    type(QStringLiteral("Alpha, zeta, zeta, alpha"));
    EXPECT_EQ(app->prompt(), QStringLiteral("alpha, gamma, delta, epsilon, Alpha, zeta"));
    EXPECT_FALSE(editor->isShowingDuplicateNotice());

    // A word stored twice is one removal away from gone.
    app->setPrompt(QStringLiteral("x,y,x"));
    EXPECT_EQ(chipLabels(), (QStringList{"x", "y", "x"}));
    editor->remove(QStringLiteral("x"));
    EXPECT_EQ(storedPrompt(), QStringLiteral("y"));
    editor->remove(QStringLiteral("y"));
    EXPECT_EQ(storedPrompt(), QString());
    // The emptied area shrinks away rather than vanishing, and a first word grows it back.
    EXPECT_TRUE(editor->chipArea().isVisible());
    EXPECT_GT(editor->chipArea().height(), 0);
    ASSERT_TRUE(testsupport::waitUntil([this] { return editor->chipArea().isHidden(); }, 2000));
    type(QStringLiteral("z"));
    EXPECT_TRUE(editor->chipArea().isVisible());
    std::vector<int> heights;
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            heights.push_back(editor->chipArea().height());
            return !ui::FadeAnimation::isRunning(editor->chips().at(0));
        },
        2000));
    ASSERT_TRUE(testsupport::waitUntil([this] { return editor->chipArea().height() > 0; }));
    const int grown = editor->chipArea().height();
    EXPECT_TRUE(std::any_of(heights.cbegin(), heights.cend(),
                            [grown](int height) { return height > 0 && height < grown; }))
        << "the area did not grow in steps to " << grown;
}

TEST_F(CustomWords, AKnownWordFlashesAlreadyAddedAndBlankInputChangesNothing)
{
    const QString stored = storedPrompt();
    type(QStringLiteral("alpha"));
    EXPECT_EQ(storedPrompt(), stored);
    EXPECT_TRUE(editor->isShowingDuplicateNotice());
    EXPECT_EQ(editor->field().placeholderText(), QStringLiteral("Already added"));
    EXPECT_TRUE(editor->field().text().isEmpty());
    testsupport::saveRender(*editor, QStringLiteral("custom-words-already-added"));
    scheduler->advance(1.0);
    type(QStringLiteral("beta"));
    // The first wait ends the notice, even though a second rejection came later.
    scheduler->advance(0.5);
    EXPECT_FALSE(editor->isShowingDuplicateNotice());
    EXPECT_EQ(editor->field().placeholderText(), QStringLiteral("Add custom term..."));
    scheduler->advance(2.0);

    editor->field().setText(QStringLiteral(" \t "));
    EXPECT_FALSE(editor->addButton().isEnabled());
    QTest::keyClick(&editor->field(), Qt::Key_Return);
    EXPECT_EQ(editor->field().text(), QStringLiteral(" \t "));
    editor->field().setText(QStringLiteral(" , ,"));
    EXPECT_TRUE(editor->addButton().isEnabled());
    editor->addButton().click();
    EXPECT_EQ(editor->field().text(), QStringLiteral(" , ,"));
    EXPECT_FALSE(editor->isShowingDuplicateNotice());
    EXPECT_EQ(app->prompt(), stored);
}

TEST_F(CustomWords, FiveHundredPastedWordsArriveWholeAndTheAreaScrolls)
{
    QStringList pasted;
    // Longer in all than a line edit holds by default.
    for (int i = 0; i < 500; ++i)
        pasted.append(QStringLiteral("term%1-").arg(i) + QString(60, QLatin1Char('w')));
    QElapsedTimer timer;
    timer.start();
    // Pasted as lines and comma-separated runs.
    QString text;
    for (int i = 0; i < 500; ++i)
        text += pasted.at(i) + QLatin1String(i % 3 == 0 ? ",\n" : i % 3 == 1 ? "\r\n" : ", ");
    type(text);
    editor->chips().constLast()->findChild<ui::BorderlessButton *>()->click();
    QCoreApplication::processEvents();
    // Generous: a frozen window would take far longer.
    EXPECT_LT(timer.elapsed(), 3000);

    const QStringList expected = QStringList{"alpha", "beta", "gamma"} + pasted.mid(0, 499);
    EXPECT_EQ(storedPrompt(), expected.join(QStringLiteral(", ")));
    EXPECT_EQ(chipLabels(), expected);
    EXPECT_TRUE(testsupport::waitUntil([this] {
        return editor->chipArea().viewport()->height() == 150;
    })) << editor->chipArea().viewport()->height();
    // The picture shows the chips once they have come in.
    ASSERT_TRUE(testsupport::waitUntil([this] {
        return std::none_of(
            editor->chips().cbegin(), editor->chips().cend(),
            [](const ChipView *chip) { return ui::FadeAnimation::isRunning(chip); });
    }));
    testsupport::saveRender(*editor, QStringLiteral("custom-words-500"));
}

namespace {

// Where the field stands in the window and whether the words' area shows a scroll bar, frame by
// frame on virtual time, as the user watches the first word come and the last one go.
class CustomWordsFrames : public UiFixture
{
protected:
    struct Frame
    {
        int fieldTop;
        bool scrollBar;
    };

    void SetUp() override
    {
        UiFixture::SetUp();
        create();
        view = std::make_unique<ui::SettingsView>(
            *app, *updaterManager, services,
            [this](QWidget *parent) { return new ui::InputTab(*app, parent); });
        view->show();
        view->tabs().setCurrentIndex(2);
        settleLayouts();
        editor =
            &qobject_cast<ui::VocabularyTab *>(view->tabs().widget(2))->section().customWords();
    }
    Frame now() const
    {
        return {editor->field().mapTo(view.get(), QPoint(0, 0)).y(),
                editor->chipArea().verticalScrollBar()->isVisible()};
    }
    // What the user sees from the change `change` makes until well after it should have ended,
    // starting with the window as the change itself leaves it, before the event loop runs.
    std::vector<Frame> watch(const std::function<void()> &change)
    {
        std::vector<Frame> frames{now()};
        change();
        frames.push_back(now());
        for (int i = 0; i < 25; ++i) {
            clock.frame();
            frames.push_back(now());
        }
        return frames;
    }
    // The field goes from the first frame's place to the last one's one way only, slowing down
    // as it goes (an ease-out: once moving, no step is more than a pixel longer than the one
    // before), and no frame shows a scroll bar.
    static void expectSmooth(const std::vector<Frame> &frames)
    {
        const int from = frames.front().fieldTop;
        const int to = frames.back().fieldTop;
        ASSERT_NE(from, to);
        QStringList tops;
        for (const Frame &frame : frames)
            tops.append(QString::number(frame.fieldTop) + (frame.scrollBar ? "+bar" : ""));
        const QString seen = tops.join(' ');
        int previous = -1; // no step yet
        for (std::size_t i = 1; i < frames.size(); ++i) {
            const int step = (frames[i].fieldTop - frames[i - 1].fieldTop) * (to > from ? 1 : -1);
            EXPECT_GE(step, 0) << "goes back at frame " << i << ": " << qPrintable(seen);
            EXPECT_LE(step * 3, std::abs(to - from)) << "frame " << i << ": " << qPrintable(seen);
            if (previous >= 0) {
                EXPECT_LE(step, previous + 1) << "jumps at frame " << i << ": " << qPrintable(seen);
            }
            if (step > 0 || previous >= 0)
                previous = step;
            EXPECT_FALSE(frames[i].scrollBar) << "frame " << i << ": " << qPrintable(seen);
        }
    }

    testsupport::VirtualAnimationClock clock;
    std::unique_ptr<ui::SettingsView> view;
    CustomWordsEditor *editor = nullptr;
};

} // namespace

TEST_F(CustomWordsFrames, TheFirstWordAndTheLastMoveTheFieldSmoothlyWithoutAScrollBar)
{
    ASSERT_TRUE(editor->chipArea().isHidden());
    const int bare = now().fieldTop;
    const std::vector<Frame> adding = watch([this] {
        editor->field().setText(QStringLiteral("first"));
        editor->add();
    });
    expectSmooth(adding);
    EXPECT_GT(adding.back().fieldTop, bare);
    ASSERT_EQ(editor->chips().size(), 1);

    const std::vector<Frame> removing =
        watch([this] { editor->chips().at(0)->findChild<ui::BorderlessButton *>()->click(); });
    expectSmooth(removing);
    EXPECT_EQ(removing.back().fieldTop, bare);
    EXPECT_TRUE(editor->chipArea().isHidden());
}
