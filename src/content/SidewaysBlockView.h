// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class HoverScrollBar;
class QAbstractScrollArea;

// A block of an answer shown at its natural width (a code block, a table):
// wider than the bubble, its view scrolls sideways under a hover bar, which
// the block places.
class SidewaysBlockView : public QWidget
{
    Q_OBJECT

public:
    ~SidewaysBlockView() override;

    // The width that shows the block's widest line without scrolling.
    virtual int idealWidth() const = 0;
    bool hasHeightForWidth() const override { return true; }
    HoverScrollBar *sidewaysBar() const { return m_bar; }

Q_SIGNALS:
    void contentSizeChanged();

protected:
    explicit SidewaysBlockView(QWidget *parent);
    void scrollSidewaysWith(QAbstractScrollArea *view);

private:
    HoverScrollBar *m_bar = nullptr;
};
