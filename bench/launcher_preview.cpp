// SPDX-License-Identifier: GPL-3.0-or-later
// Shows the launcher view in a 700 by 540 frameless window in one of its
// states, for looking at it: launcher_preview STATE [System|Light|Dark]
// with STATE one of empty, stream, thinking, error, sidebar, document, math.

#include "store/Conversation.h"
#include "store/ConversationStore.h"
#include "core/LauncherSession.h"
#include "launcher/LauncherView.h"
#include "core/LauncherViewModel.h"
#include "launcher/MultilineTextField.h"
#include "launcher/InputBar.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"
#include "presets/PresetStore.h"
#include "services/KeyStore.h"
#include "support/IsolatedHome.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The panel's own dark, translucent, rounded ground, as the launcher window paints it.
class Panel : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath ground;
        ground.addRoundedRect(QRectF(rect()), 20, 20);
        painter.fillPath(ground, QColor(28, 28, 30, 235));
    }
};

const char *kAnswer = R"(Here is a **small** example with `inline code` and *emphasis*.

```python
def fib(n):
    # the classic one
    if n < 2:
        return n
    return fib(n - 1) + fib(n - 2)  # 2 calls

print("fib(10) = " + str(fib(10)))
```

The function calls itself twice, so its cost grows quickly. A long line follows to show that code blocks scroll sideways rather than wrap)";

// Every block kind an answer may hold.
const char *kDocument = R"(# Setting up the build
## Before you start
Read the steps once; each takes a minute.

1. Install the **compiler** and `cmake`
2. Configure:
   - on Debian: `apt install g++`
   - on *other* systems, see [the guide](https://example.org)
     1. nested numbers
3. Build it

- [x] parse the answer
- [ ] render every block

> **Note:** a quote keeps its bar,
> even over two lines.
> > and nests

| Option | Default | Meaning |
|:--|:-:|--:|
| `-v` | off | more **output** |
| `--jobs` | 2 | builds at once, on every core the machine offers you |

---
Setext heading
--------------
Last line with a hard  
break.)";

// Inline and display formulas, prices that stay text, and one TeX rejects.
const char *kMath = R"(The roots of $ax^2 + bx + c = 0$ are
$$x = \frac{-b \pm \sqrt{b^2-4ac}}{2a}$$
and for \(\alpha, \beta\) we have $\alpha + \beta = -\frac{b}{a}$. A sum:
\[\sum_{k=1}^{n} k^2 = \frac{n(n+1)(2n+1)}{6}\]
It costs $5 and $10, `echo $HOME` stays code, and $x^{2}^{3}$ is rejected.)";

} // namespace

int main(int argc, char *argv[])
{
    IsolatedHome home;
    QApplication app(argc, argv);
    const QString state = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("empty");
    UserDefaults defaults(home.path() + QStringLiteral("/preferences.json"));
    defaults.set(Preferences::appTheme, argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("Dark"));

    Panel panel;
    panel.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    panel.setAttribute(Qt::WA_TranslucentBackground);
    panel.resize(700, state == QLatin1String("document") ? 1040 : 540);
    auto *layout = new QVBoxLayout(&panel);
    layout->setContentsMargins(0, 0, 0, 0);
    PresetStore presets(home.presetsFile());
    LauncherSession session(defaults, KeyStore::system(), presets, home.path() + QStringLiteral("/conversations.json"));
    auto *view = new LauncherView(session, &panel);
    layout->addWidget(view);
    LauncherViewModel &vm = session.viewModel();

    using Role = ChatMessage::Role;
    const ChatMessage question(Role::User, QStringLiteral("Show me a **recursive** Fibonacci in Python"));
    if (state == QLatin1String("stream")) {
        vm.setMessages({question,
                        ChatMessage(Role::Assistant, QString::fromUtf8(kAnswer).append(QString(80, QLatin1Char('.'))),
                                    std::nullopt, QStringLiteral("image/png"), true)});
    } else if (state == QLatin1String("document")) {
        vm.setMessages({ChatMessage(Role::User, QStringLiteral("How do I build it? # stays literal")),
                        ChatMessage(Role::Assistant, QString::fromUtf8(kDocument))});
    } else if (state == QLatin1String("math")) {
        vm.setMessages({ChatMessage(Role::User, QStringLiteral("Solve $ax^2+bx+c=0$")),
                        ChatMessage(Role::Assistant, QString::fromUtf8(kMath))});
    } else if (state == QLatin1String("thinking")) {
        vm.setMessages(
            {question, ChatMessage(Role::Assistant, QString(), std::nullopt, QStringLiteral("image/png"), true)});
    } else if (state == QLatin1String("error")) {
        vm.setInputText(QStringLiteral("Hello"));
        vm.send(); // no key is stored here, so the launcher reports it
    } else if (state == QLatin1String("sidebar")) {
        for (const char *title :
             {"Explain quicksort", "A very long conversation title that needs two lines or more to show",
              "Shell one-liners"}) {
            session.store().upsert(Conversation(QString::fromUtf8(title), QDateTime::currentDateTime().addSecs(-3600),
                                                {StoredMessage(QStringLiteral("user"), QString::fromUtf8(title))}));
        }
        vm.setMessages({question, ChatMessage(Role::Assistant, QString::fromUtf8(kAnswer))});
        QTimer::singleShot(100, view, [view] { view->setSidebarOpen(true); });
    } else {
        view->inputBar()->field()->setFocus();
    }
    panel.show();
    view->focusInput();
    return app.exec();
}
