// The screen's keys on a real X server with no window manager, as the screen
// served over VNC runs: the program starts its own Xvfb. A scripted question
// opens no window, so the screen never loses its activation; the real one
// takes it, and when it closes nothing gives it back: X leaves the keyboard
// with the window under the pointer, so keys still reach the screen while
// it draws no ring.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <csignal>
#include <cstdio>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "dialogs/messagedialog.h"
#include "formfixture.h"
#include "screensession.h"
#include "testmain.h"

namespace {

// Xvfb on a display it picks itself, told once it takes clients.
class BareXServer {
public:
    BareXServer()
    {
        int ready[2];
        if (pipe(ready) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            close(ready[0]);
            prctl(PR_SET_PDEATHSIG, SIGTERM); // ends with the test, however it ends
            const std::string fd = std::to_string(ready[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(ready[1]);
        pollfd in{ready[0], POLLIN, 0};
        char c = 0;
        while (m_pid > 0 && poll(&in, 1, 30000) > 0 && read(ready[0], &c, 1) == 1 && c != '\n')
            m_number += c;
        close(ready[0]);
    }
    ~BareXServer()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    BareXServer(const BareXServer&) = delete;
    BareXServer& operator=(const BareXServer&) = delete;

    // ":N", empty when the server did not come up.
    std::string display() const { return m_number.empty() ? std::string() : ":" + m_number; }

private:
    pid_t m_pid = -1;
    std::string m_number;
};

// Runs the script on the question once it is up, waiting a bounded while:
// the key that asks it turns the event loop before the question is there.
void whenQuestionUp(const std::function<void(QWidget*)>& script, int triesLeft = 500)
{
    QTimer::singleShot(10, [script, triesLeft] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog && dialog->objectName() == QLatin1String("messageDialog"))
            script(dialog);
        else if (triesLeft > 0)
            whenQuestionUp(script, triesLeft - 1);
        else
            ADD_FAILURE() << "the question did not come up";
    });
}

class KeysOnBareX : public FormTest {
protected:
    // The key as X delivers it: to the screen's window, and there to the
    // control that holds the window's focus.
    void press(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(form->windowHandle(), k, m); }
};

// After the real question closes no window is active; the first Enter only
// shows the ring, and a button is pressed once the operator sees it.
TEST_P(KeysOnBareX, AfterTheQuestionEnterActsOnNoButtonUntilTheRingShows)
{
    placeArea("01", "SAL", "Salão");
    placeTable("01", "2", "01", "1", "Mesa 1");
    setMensagemProc([](const MessageRequest& r) { return showMessageDialog(r); });
    openScreen();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));

    press(Qt::Key_B);
    click(table(1));
    press(Qt::Key_F7);
    press(Qt::Key_Return); // shows the ring on the tapped table
    press(Qt::Key_Return); // marks it
    ASSERT_EQ(form->cdsAlteracoes.RecordCount(), 1);
    QPointer<QWidget> question;
    whenQuestionUp([&](QWidget* dialog) {
        question = dialog;
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog)); // it took the keyboard from the screen
        auto* yes = dialog->findChild<QPushButton*>(QStringLiteral("msgYes"));
        ASSERT_NE(yes, nullptr);
        tapCentre(yes);
    });
    press(Qt::Key_Return, Qt::ControlModifier);
    ASSERT_TRUE(isFreeTable(1));
    // The question is gone, and no other window holds the keyboard.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return !question && (!QGuiApplication::focusWindow() || QGuiApplication::focusWindow() == form->windowHandle());
    }, 2000));
    host->clearRecords();

    const QImage withoutRing = table(1)->grab().toImage();
    press(Qt::Key_Return);
    EXPECT_TRUE(host->pickCalls.isEmpty()) << "Enter pressed a table that showed no ring";
    EXPECT_TRUE(QTest::qWaitFor([&] { return table(1)->grab().toImage() != withoutRing; }, 5000));
    press(Qt::Key_Return);
    EXPECT_EQ(host->pickCalls.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Sqlite, KeysOnBareX, ::testing::Values(QStringLiteral("sqlite")), backendName);

} // namespace

int main(int argc, char** argv)
{
    const BareXServer x;
    if (x.display().empty()) {
        fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    qputenv("DISPLAY", QByteArray::fromStdString(x.display()));
    qputenv("QT_QPA_PLATFORM", "xcb");
    return qdlTestMain(argc, argv);
}
