// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QScrollBar>

class QAbstractScrollArea;

// A thin sideways scroll bar for a view that hides its own: it follows the
// view's horizontal bar and shows while the pointer is over `host` and the
// content is wider than the view. The host places it (in its bottom padding).
class HoverScrollBar : public QScrollBar
{
    Q_OBJECT

public:
    HoverScrollBar(QAbstractScrollArea *view, QWidget *host);

    static constexpr int kThickness = 8;
    bool isNeeded() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void follow();

    // Children go before their parent's Leave event: the view may be gone by then.
    QPointer<QAbstractScrollArea> m_view;
    QWidget *m_host;
    bool m_hovered = false;
};

// Shift with the wheel, or a sideways wheel, scrolls `view` sideways; true when it did.
bool scrollSideways(QAbstractScrollArea *view, class QWheelEvent *event);
