// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

class QLabel;
class SymbolButton;

// The attached image's thumbnail with "Image attached" and a remove button.
class AttachmentStrip : public QWidget
{
    Q_OBJECT

public:
    explicit AttachmentStrip(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    SymbolButton *removeButton() const { return m_remove; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_thumbnail;
    SymbolButton *m_remove;
};
