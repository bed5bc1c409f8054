// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11HotKeyService.h"

#include "KeyPositionTable.h"
#include "ModifierKeys.h"
#include "XInputRawKeyWatcher.h"
#include "XcbKeyGrabSupport.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

Q_LOGGING_CATEGORY(lcHotKeys, "parlovox.hotkeys", QtInfoMsg)

namespace platform::linux_impl {

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

constexpr std::uint16_t xLock = xcbkeys::lockMask;
constexpr std::uint8_t badAccess = 10;

// Waits until the server has carried out every request sent so far. A released combination is
// then free at once for the next grab, ours or another client's: a flush alone only puts the
// ungrab on the wire, and the server may serve the other client first.
void waitForServer(xcb_connection_t *connection)
{
    Reply<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr),
        &std::free);
}

} // namespace

// Gives its grab back when the shortcut module drops it, unless the service is already gone.
class X11HotKeyService::GrabRegistration final : public HotKeyRegistration
{
public:
    GrabRegistration(std::weak_ptr<X11HotKeyService *> service, std::uint64_t key)
        : m_service(std::move(service)), m_key(key)
    {}
    ~GrabRegistration() override
    {
        if (auto service = m_service.lock())
            (*service)->ungrab(m_key);
    }

private:
    std::weak_ptr<X11HotKeyService *> m_service;
    std::uint64_t m_key;
};

// While a popup menu of ours is open it holds the keyboard, so the desktop hands us the key
// presses as ordinary key events; this filter offers them to the handler as raw key events.
class X11HotKeyService::RawKeyFilter final : public QObject
{
public:
    explicit RawKeyFilter(X11HotKeyService &service) : m_service(service) {}

    // The keys whose press was taken and whose release this filter will no longer see: their
    // releases become owed to the raw key events.
    void handOverHeldKeys()
    {
        for (auto it = m_taken.cbegin(); it != m_taken.cend(); ++it)
            m_service.oweRelease(it->xKeyCode, OwedRelease{std::nullopt, it.key(), it->modifiers});
        m_taken.clear();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const bool press = event->type() == QEvent::KeyPress;
        if ((!press && event->type() != QEvent::KeyRelease) || !watched->isWindowType())
            return false; // a key event reaches the window first; its widgets would repeat it
        auto *key = static_cast<QKeyEvent *>(event);
        const auto keyCode = modifierkeys::carbonKeyCodeOf(*key);
        if (!keyCode)
            return false;
        const auto code = static_cast<std::uint32_t>(*keyCode);
        // The repeats of a held combination we took are ours too: passed on, they would reach
        // the menu and could trigger one of its mnemonics. With detectable auto-repeat they come
        // as further presses without a release between them, which Qt does not mark.
        if (key->isAutoRepeat() || (press && m_taken.contains(code)))
            return m_taken.contains(code);
        const auto xKeyCode = static_cast<std::uint8_t>(key->nativeScanCode());
        // A combination held since before the menu opened repeats here; its release is owed
        // already, and taken as a new press it would be released twice.
        if (press && m_service.isRepeatOfOwedKey(xKeyCode))
            return true;
        if (press) {
            // Noted before the handler runs: it may close the menu, and with it this filter.
            const Taken taken{xcbkeys::carbonModifiersForQt(key->modifiers()), xKeyCode};
            m_taken.insert(code, taken);
            if (m_service.deliverRawKey(HotKeyEvent::Kind::rawKeyDown, code, taken.modifiers) ==
                noErr)
                return true;
            m_taken.remove(code);
            return false;
        }
        if (!m_taken.contains(code)) {
            // A press handed out before the menu opened is released here; one that was not
            // handed out has no release to give.
            return m_service.settleOwedReleases(xKeyCode);
        }
        // The modifiers may be up before the key: the release of a key we took goes out with
        // the modifiers of its press, so it still matches (as a grabbed key's release does).
        const std::uint32_t modifiers = m_taken.take(code).modifiers;
        return m_service.deliverRawKey(HotKeyEvent::Kind::rawKeyUp, code, modifiers) == noErr;
    }

private:
    struct Taken
    {
        std::uint32_t modifiers = 0;
        std::uint8_t xKeyCode = 0;
    };
    X11HotKeyService &m_service;
    // Keys whose press the handler took, by Carbon key code.
    QHash<std::uint32_t, Taken> m_taken;
};

X11HotKeyService::X11HotKeyService() : m_self(std::make_shared<X11HotKeyService *>(this))
{
    m_connection = xcbkeys::applicationConnection();
    if (!m_connection) {
        qCInfo(lcHotKeys,
               "[HotKeys] No X11 display (platform \"%s\"): global shortcuts are "
               "unavailable",
               qPrintable(QGuiApplication::platformName()));
        return;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    m_root = screen->root;
    m_numLockMask = xcbkeys::numLockMask(m_connection);
    m_checkWindow = xcb_generate_id(m_connection);
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_checkWindow, m_root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    if (!xcbkeys::enableDetectableAutoRepeat(m_connection))
        qCCritical(lcHotKeys, "[HotKeys] The X server cannot make auto-repeat detectable: a held "
                              "shortcut may repeat its press and release");
}

X11HotKeyService::~X11HotKeyService()
{
    m_self.reset();
    m_releaseWatcher.reset();
    if (m_filterInstalled && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    m_rawKeyFilter.reset();
    while (!m_grabs.empty())
        ungrab(m_grabs.begin()->first);
    if (m_connection && !xcb_connection_has_error(m_connection)) {
        xcb_destroy_window(m_connection, m_checkWindow);
        xcb_flush(m_connection);
    }
}

HotKeyService::Registration
X11HotKeyService::registerHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers, HotKeyId id)
{
    if (!m_connection)
        return {eventInternalErr, nullptr};
    const auto keycode = KeyPositionTable::xKeyCodeForCarbonKeyCode(keyCode);
    const auto modifiers = xcbkeys::xModifiersForCarbon(carbonModifiers);
    if (!keycode || !modifiers) {
        qCInfo(lcHotKeys, "[HotKeys] Key code %u with modifiers 0x%x has no X11 key combination",
               keyCode, carbonModifiers);
        return {eventHotKeyInvalidErr, nullptr};
    }
    for (const auto &[key, grab] : m_grabs)
        if (grab.keycode == *keycode && grab.modifiers == *modifiers)
            return {eventHotKeyExistsErr, nullptr}; // X would let the second grab replace the first

    // Each lock variant is a grab of its own; a round trip per request tells whether another
    // client holds it (BadAccess), and a refusal of any variant gives back the ones taken.
    const std::uint16_t locks[] = {0, xLock, m_numLockMask,
                                   static_cast<std::uint16_t>(xLock | m_numLockMask)};
    xcb_void_cookie_t cookies[4];
    for (int i = 0; i < 4; ++i)
        cookies[i] = xcb_grab_key_checked(m_connection, 0, m_root, *modifiers | locks[i], *keycode,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    int status = noErr;
    for (const auto &cookie : cookies) {
        Reply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie), &std::free);
        if (error && status == noErr)
            status = error->error_code == badAccess ? eventHotKeyExistsErr : eventHotKeyInvalidErr;
    }
    if (status != noErr) {
        for (const auto lock : locks)
            xcb_ungrab_key(m_connection, *keycode, m_root, *modifiers | lock);
        waitForServer(m_connection);
        return {status, nullptr};
    }
    const std::uint64_t key = m_nextGrabKey++;
    m_grabs.emplace(key, Grab{*keycode, *modifiers, id, false});
    watchReleases();
    return {noErr, std::make_unique<GrabRegistration>(m_self, key)};
}

void X11HotKeyService::ungrab(std::uint64_t grabKey)
{
    const auto it = m_grabs.find(grabKey);
    if (it == m_grabs.end())
        return;
    const std::uint16_t locks[] = {0, xLock, m_numLockMask,
                                   static_cast<std::uint16_t>(xLock | m_numLockMask)};
    if (m_connection && !xcb_connection_has_error(m_connection)) {
        for (const auto lock : locks)
            xcb_ungrab_key(m_connection, it->second.keycode, m_root, it->second.modifiers | lock);
        waitForServer(m_connection);
    }
    // The key is still down: its release no longer comes to the grab, but is owed all the same.
    if (it->second.held)
        oweRelease(it->second.keycode, OwedRelease{it->second.id});
    m_grabs.erase(it);
}

void X11HotKeyService::watchReleases()
{
    if (m_releaseWatcher)
        return;
    auto watcher = std::make_unique<XInputRawKeyWatcher>();
    if (!watcher->start()) {
        qCCritical(lcHotKeys,
                   "[HotKeys] A shortcut released while another window holds the keyboard is not "
                   "seen: %s",
                   qPrintable(watcher->error()));
        return;
    }
    QObject::connect(watcher.get(), &XInputRawKeyWatcher::rawKey, watcher.get(),
                     [this](quint32 xKeyCode, bool pressed) { onRawKey(xKeyCode, pressed); });
    m_releaseWatcher = std::move(watcher);
}

// Raw events come on a connection of their own, so they may overtake or trail the grab's own
// events; the key's state on the server, asked on our connection, is what decides.
void X11HotKeyService::onRawKey(quint32 xKeyCode, bool pressed)
{
    if (pressed || xKeyCode > 255)
        return;
    const auto keycode = static_cast<std::uint8_t>(xKeyCode);
    if (m_owedReleases.count(keycode) > 0) {
        if (!isKeyDown(keycode) && settleOwedReleases(keycode)) {
            qCInfo(lcHotKeys, "[HotKeys] Key code %u released, as the raw key events tell",
                   unsigned(keycode));
            return;
        }
        // Pressed again already: that press is a new one, and settles the release.
        const auto [first, last] = m_owedReleases.equal_range(keycode);
        for (auto it = first; it != last; ++it)
            it->second.keyWentUp = true;
        return;
    }
    const bool heldHere = std::any_of(m_grabs.begin(), m_grabs.end(), [keycode](const auto &e) {
        return e.second.keycode == keycode && e.second.held;
    });
    if (!heldHere)
        return;
    // The grab's own release, if it comes, is already on its way to us: the message comes back
    // behind it, and only then is it clear whether the grab delivered the release.
    xcb_client_message_event_t check{};
    check.response_type = XCB_CLIENT_MESSAGE;
    check.format = 32;
    check.window = m_checkWindow;
    check.type = XCB_ATOM_NONE;
    check.data.data32[0] = keycode;
    xcb_send_event(m_connection, 0, m_checkWindow, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char *>(&check));
    xcb_flush(m_connection);
}

void X11HotKeyService::checkGrabbedRelease(std::uint8_t keycode)
{
    std::vector<HotKeyId> released;
    for (auto &[grabKey, grab] : m_grabs)
        if (grab.keycode == keycode && grab.held)
            released.push_back(grab.id);
    // Pressed again meanwhile: the release the raw events saw is not the last word.
    if (released.empty() || isKeyDown(keycode))
        return;
    for (auto &[grabKey, grab] : m_grabs)
        if (grab.keycode == keycode)
            grab.held = false;
    qCInfo(lcHotKeys, "[HotKeys] Key code %u released, as the raw key events tell",
           unsigned(keycode));
    for (const HotKeyId &id : released)
        deliverRelease(id);
}

void X11HotKeyService::oweRelease(std::uint8_t keycode, OwedRelease release)
{
    // Up already: its release went by unseen, so the next press is a new one.
    release.keyWentUp = !isKeyDown(keycode);
    m_owedReleases.emplace(keycode, release);
}

bool X11HotKeyService::isRepeatOfOwedKey(std::uint8_t keycode) const
{
    // Without the raw key events nothing would ever tell that the key went up.
    if (!m_releaseWatcher)
        return false;
    const auto [first, last] = m_owedReleases.equal_range(keycode);
    return first != last &&
           std::none_of(first, last, [](const auto &entry) { return entry.second.keyWentUp; });
}

bool X11HotKeyService::settleOwedReleases(std::uint8_t keycode)
{
    const auto [first, last] = m_owedReleases.equal_range(keycode);
    if (first == last)
        return false;
    // Taken out before delivering: the handler may open or close a menu, which changes the list.
    std::vector<OwedRelease> releases;
    for (auto it = first; it != last; ++it)
        releases.push_back(it->second);
    m_owedReleases.erase(keycode);
    for (const OwedRelease &release : releases) {
        if (release.hotKey)
            deliverRelease(*release.hotKey);
        else
            deliverRawKey(HotKeyEvent::Kind::rawKeyUp, release.carbonKeyCode,
                          release.carbonModifiers);
    }
    return true;
}

bool X11HotKeyService::isKeyDown(std::uint8_t keycode) const
{
    Reply<xcb_query_keymap_reply_t> keymap(
        xcb_query_keymap_reply(m_connection, xcb_query_keymap(m_connection), nullptr), &std::free);
    // Without an answer the key counts as down: a wrong release would cut a dictation short.
    return !keymap || (keymap->keys[keycode / 8] & (1 << (keycode % 8)));
}

// A release owed for a press handed out goes to the handler even while hot-key events are
// switched off (a menu is open): nothing else would end what the press started.
void X11HotKeyService::deliverRelease(HotKeyId id)
{
    if (!m_handler)
        return;
    HotKeyEvent event;
    event.kind = HotKeyEvent::Kind::hotKeyReleased;
    event.hotKeyId = id;
    m_handler(event);
}

bool X11HotKeyService::installEventHandler(EventHandler handler)
{
    if (!m_connection || !QCoreApplication::instance())
        return false;
    m_handler = std::move(handler);
    if (!m_filterInstalled) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filterInstalled = true;
    }
    return true;
}

void X11HotKeyService::setHotKeyEventsEnabled(bool enabled)
{
    m_hotKeyEventsEnabled = enabled;
}

void X11HotKeyService::setRawKeyEventsEnabled(bool enabled)
{
    if (!enabled) {
        // The handler may switch raw events off from inside the filter's own call.
        if (m_rawKeyFilter) {
            m_rawKeyFilter->handOverHeldKeys();
            if (QCoreApplication *app = QCoreApplication::instance())
                app->removeEventFilter(m_rawKeyFilter.get());
            m_rawKeyFilter.release()->deleteLater();
        }
    } else if (!m_rawKeyFilter && QCoreApplication::instance()) {
        m_rawKeyFilter = std::make_unique<RawKeyFilter>(*this);
        QCoreApplication::instance()->installEventFilter(m_rawKeyFilter.get());
    }
}

int X11HotKeyService::deliverRawKey(HotKeyEvent::Kind kind, std::uint32_t keyCode,
                                    std::uint32_t modifiers)
{
    if (!m_handler)
        return eventNotHandledErr;
    HotKeyEvent event;
    event.kind = kind;
    event.keyCode = keyCode;
    event.modifiers = modifiers;
    return m_handler(event);
}

bool X11HotKeyService::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    auto *generic = static_cast<xcb_generic_event_t *>(message);
    const std::uint8_t type = generic->response_type & ~0x80;
    if (type == XCB_CLIENT_MESSAGE) {
        auto *check = reinterpret_cast<xcb_client_message_event_t *>(generic);
        if (check->window != m_checkWindow || m_checkWindow == 0)
            return false;
        checkGrabbedRelease(static_cast<std::uint8_t>(check->data.data32[0]));
        return true;
    }
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    auto *key = reinterpret_cast<xcb_key_press_event_t *>(generic);
    if (key->event != m_root)
        return false; // our own windows' keys are Qt's
    return handleKeyEvent(type == XCB_KEY_PRESS, key->detail, key->state);
}

bool X11HotKeyService::handleKeyEvent(bool press, std::uint8_t keycode, std::uint16_t state)
{
    // The server repeating a key held since its grab was given back: the press is long
    // handed out, and its release is owed.
    if (press && isRepeatOfOwedKey(keycode))
        return true;
    // A new press of a key whose earlier release was missed: that release happened first.
    if (press)
        settleOwedReleases(keycode);
    for (auto &[grabKey, grab] : m_grabs) {
        if (grab.keycode != keycode)
            continue;
        HotKeyEvent event;
        event.hotKeyId = grab.id;
        if (press) {
            if ((state & xcbkeys::chordMask) != grab.modifiers)
                continue;
            if (grab.held)
                return true; // auto-repeat of a held combination
            grab.held = true;
            event.kind = HotKeyEvent::Kind::hotKeyPressed;
        } else {
            // The modifiers may be up before the key, so a release matches on the key alone.
            if (!grab.held)
                continue;
            grab.held = false;
            event.kind = HotKeyEvent::Kind::hotKeyReleased;
        }
        // The handler may register or drop hot keys, so nothing of the loop is used after it.
        if (m_hotKeyEventsEnabled && m_handler)
            m_handler(event);
        return true;
    }
    return false;
}

} // namespace platform::linux_impl
