// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>

#include <optional>

class QLabel;

// An answer's reasoning above its bubble. While the model thinks it reads
// "Thinking…" over the last lines of the growing text; once the answer
// starts it folds to one line, "Thought for 12 s". A click, or Enter when
// focused, opens the whole text and folds it again.
class ThinkingBlock : public QWidget
{
    Q_OBJECT

public:
    explicit ThinkingBlock(QWidget *parent = nullptr);

    // live: the reasoning is still streaming and no answer has started.
    void setThought(const QString &reasoning, bool live, std::optional<double> seconds);

    bool isExpanded() const { return m_expanded; }
    void setExpanded(bool expanded);

    // For inspection: the one line on top and the text shown under it (empty when folded).
    QString headerText() const;
    QString shownText() const;

    // The width it wants within `available`: all of it once the text shows.
    int widthFor(int available) const;
    int heightForWidth(int width) const override;
    bool hasHeightForWidth() const override { return true; }

Q_SIGNALS:
    void heightChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool bodyShown() const;
    void syncTexts();
    void applyColors();
    void layoutFor(int width);

    QLabel *m_icon;
    QLabel *m_header;
    QWidget *m_clip;
    QLabel *m_body;
    QString m_reasoning;
    bool m_live = false;
    std::optional<double> m_seconds;
    bool m_expanded = false;
};
