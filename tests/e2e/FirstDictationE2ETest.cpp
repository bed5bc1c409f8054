// SPDX-License-Identifier: GPL-3.0-or-later
// Parlovox as a new user meets it: the real program, started with an empty home folder on the
// test display (window manager, tray host, private audio server), dictates into a text field of
// another program. The shortcut is held through XTEST while speech plays into the virtual
// microphone; the loopback speech server answers with a fixed transcript, which must land in the
// field. Onboarding is seeded as finished in the settings file.
#include "DictationE2EFixture.h"

namespace {

class FirstDictationE2ETest : public e2e::DictationE2EFixture
{
};

TEST_F(FirstDictationE2ETest, HoldingTheShortcutWhileSpeakingTypesTheTranscriptIntoAnotherProgram)
{
    ASSERT_NO_FATAL_FAILURE(makeSpeech());
    ASSERT_NO_FATAL_FAILURE(seedSettings());
    ASSERT_NO_FATAL_FAILURE(startTextField());

    ASSERT_TRUE(m_parlovox.start(QStringLiteral(PARLOVOX_PROGRAM), {}, freshEnvironment()));
    // Logged once the shortcut is grabbed and the health check runs.
    ASSERT_TRUE(m_parlovox.waitForLine("[AppState] onboardingComplete: true", 20000))
        << qPrintable(m_parlovox.output());
    ASSERT_NO_FATAL_FAILURE(focusTextField());
    ASSERT_NO_FATAL_FAILURE(dictateIntoTextField());
}

} // namespace
