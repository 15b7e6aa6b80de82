// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcher/LauncherHeader.h"

#include "core/LauncherViewModel.h"
#include "core/UsageText.h"
#include "launcher/ModelSwitcherView.h"
#include "ui/LauncherMetrics.h"
#include "ui/PixelFont.h"
#include "ui/SymbolButton.h"
#include "ui/SymbolIcon.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>

namespace {

QColor secondaryRole(const LauncherColors &colors)
{
    return colors.secondary;
}

// The brand mark, repainted for the screen's pixel ratio.
class BrandMark : public QLabel
{
public:
    explicit BrandMark(QWidget *parent)
        : QLabel(parent)
    {
        setFixedSize(13, 13);
    }

protected:
    void showEvent(QShowEvent *event) override
    {
        setPixmap(brandMarkPixmap(13, 1.0, devicePixelRatioF()));
        QLabel::showEvent(event);
    }
};

QLabel *textLabel(const QString &text, int pixelSize, QFont::Weight weight, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    usePixelFont(label, pixelSize, weight);
    return label;
}

} // namespace

LauncherHeader::LauncherHeader(LauncherViewModel &vm, UserDefaults &defaults, QWidget *parent)
    : QWidget(parent)
    , m_close(new SymbolButton(QStringLiteral("xmark.circle.fill"), 15, secondaryRole, this))
    , m_sidebar(new SymbolButton(QStringLiteral("sidebar.left"), 13, secondaryRole, this))
    , m_switcher(new ModelSwitcherView(vm, defaults, this))
    , m_newConversation(new SymbolButton(QStringLiteral("square.and.pencil"), 13, secondaryRole, this))
{
    m_close->setToolTip(QStringLiteral("Close (Esc)"));
    m_close->setGlyphColorRole(
        [](const LauncherColors &colors) { return colors.dark ? QColor(30, 30, 30) : QColor(Qt::white); });
    m_sidebar->setToolTip(QStringLiteral("Toggle conversation history"));
    m_switcher->setToolTip(QStringLiteral("Switch generation model directly"));
    m_newConversation->setToolTip(QStringLiteral("New conversation (%1)")
                                      .arg(QKeySequence(Qt::CTRL | Qt::Key_N).toString(QKeySequence::NativeText)));

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(LauncherMetrics::edgeInset, 14, LauncherMetrics::edgeInset, 10);
    row->setSpacing(8);
    row->addWidget(m_close);
    row->addWidget(m_sidebar);
    auto *brand = new QHBoxLayout;
    brand->setSpacing(5);
    brand->addWidget(new BrandMark(this));
    brand->addWidget(textLabel(QStringLiteral("Tarnwick"), 13, QFont::DemiBold, this));
    QLabel *version = textLabel(QStringLiteral("v4.0"), 11, QFont::Normal, this);
    version->setForegroundRole(QPalette::PlaceholderText);
    brand->addWidget(version);
    row->addLayout(brand);
    row->addStretch(1);
    row->addWidget(m_switcher);
    row->addWidget(m_newConversation);

    // What the conversation on screen has cost so far, on the header's own tooltip.
    const auto syncUsage = [this, &vm] {
        const std::optional<LLMUsage> total = UsageText::total(vm.messages());
        setToolTip(total ? QStringLiteral("This conversation: ") + UsageText::line(*total) : QString());
    };
    connect(&vm, &LauncherViewModel::messagesChanged, this, syncUsage);
    syncUsage();
}

void LauncherHeader::setSidebarOpen(bool open)
{
    if (open)
        m_sidebar->setColorRole([](const LauncherColors &colors) { return colors.accent; });
    else
        m_sidebar->setColorRole(secondaryRole);
}
