#include "content/MessageContent.h"

#include "content/CodeBlockView.h"
#include "content/ProseView.h"
#include "ui/LauncherColors.h"

namespace {

constexpr int kSpacing = 8;

bool isBlank(const QString &text)
{
    for (QChar c : text) {
        if (!c.isSpace())
            return false;
    }
    return true;
}

} // namespace

MessageContent::MessageContent(const QString &raw, bool isUser, QWidget *parent)
    : QWidget(parent)
    , m_isUser(isUser)
{
    setRaw(raw);
}

void MessageContent::setRaw(const QString &raw)
{
    if (raw == m_raw && !m_entries.isEmpty())
        return;
    // Text that only grew leaves every segment but the last one as it was.
    const bool grew = raw.startsWith(m_raw);
    m_raw = raw;
    const QList<ContentSegment> &segments = m_segmenter.update(raw);
    const int first = grew ? qMax(0, int(m_entries.size()) - 1) : 0;
    for (int index = first; index < segments.size(); ++index) {
        const ContentSegment &segment = segments.at(index);
        if (index < m_entries.size()) {
            if (reuseEntry(m_entries.at(index), segment))
                continue;
            delete m_entries.at(index);
            m_entries[index] = makeEntry(segment);
        } else {
            m_entries.append(makeEntry(segment));
        }
    }
    while (m_entries.size() > segments.size())
        delete m_entries.takeLast();
    relayout(first);
}

QWidget *MessageContent::makeEntry(const ContentSegment &segment)
{
    QWidget *entry = nullptr;
    if (segment.isCode()) {
        auto *block = new CodeBlockView(segment.lang, segment.body, this);
        connect(block, &CodeBlockView::contentSizeChanged, this, [this, block] {
            relayout(m_entries.indexOf(block));
        });
        block->show();
        entry = block;
    } else {
        auto *prose = new ProseView(this);
        if (m_isUser) {
            QPalette white = prose->palette();
            white.setColor(QPalette::Text, Qt::white);
            prose->setPalette(white);
        }
        prose->setRawText(segment.text);
        prose->setVisible(!isBlank(segment.text));
        entry = prose;
    }
    return entry;
}

bool MessageContent::reuseEntry(QWidget *entry, const ContentSegment &segment)
{
    if (auto *prose = qobject_cast<ProseView *>(entry); prose && !segment.isCode()) {
        prose->setRawText(segment.text);
        prose->setVisible(!isBlank(segment.text));
        return true;
    }
    auto *block = qobject_cast<CodeBlockView *>(entry);
    if (block && segment.isCode() && block->lang() == segment.lang) {
        block->setCodeBody(segment.body);
        return true;
    }
    return false;
}

int MessageContent::entryHeight(QWidget *entry) const
{
    if (auto *prose = qobject_cast<ProseView *>(entry))
        return prose->contentHeight();
    return entry->heightForWidth(m_layoutWidth);
}

void MessageContent::setLayoutWidth(int width)
{
    if (width == m_layoutWidth)
        return;
    m_layoutWidth = width;
    for (QWidget *entry : std::as_const(m_entries)) {
        if (auto *prose = qobject_cast<ProseView *>(entry))
            prose->setLayoutWidth(width);
    }
    relayout(0);
}

int MessageContent::idealWidth() const
{
    int ideal = 0;
    for (QWidget *entry : m_entries) {
        if (entry->isHidden())
            continue;
        if (auto *prose = qobject_cast<ProseView *>(entry))
            ideal = qMax(ideal, prose->idealWidth());
        else
            ideal = qMax(ideal, static_cast<CodeBlockView *>(entry)->idealWidth());
    }
    return qMin(ideal, m_layoutWidth);
}

void MessageContent::relayout(int from)
{
    if (from < 0 || m_layoutWidth <= 0)
        return;
    m_tops.resize(m_entries.size());
    int y = 0;
    if (from > 0 && from <= m_entries.size()) {
        // Entries before `from` keep their place; continue below the last shown one.
        for (int index = from - 1; index >= 0; --index) {
            if (!m_entries.at(index)->isHidden()) {
                y = m_tops.at(index) + m_entries.at(index)->height() + kSpacing;
                break;
            }
        }
    } else {
        from = 0;
    }
    for (int index = from; index < m_entries.size(); ++index) {
        QWidget *entry = m_entries.at(index);
        if (auto *prose = qobject_cast<ProseView *>(entry))
            prose->setLayoutWidth(m_layoutWidth);
        m_tops[index] = y;
        if (entry->isHidden())
            continue;
        const int height = entryHeight(entry);
        entry->setGeometry(0, y, m_layoutWidth, height);
        y += height + kSpacing;
    }
    m_height = qMax(0, y - kSpacing);
    Q_EMIT contentSizeChanged();
}
