// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;

// What the conversation area shows when there is nothing to show.
class EmptyStateView : public QWidget
{
    Q_OBJECT

public:
    explicit EmptyStateView(const QString &selectedModel, QWidget *parent = nullptr);

    void setSelectedModel(const QString &model);
    // Whether the logo is a vendor badge rather than the brand mark.
    bool showsVendorLogo() const { return m_showsVendorLogo; }

private:
    void refresh();

    QString m_selectedModel;
    bool m_showsVendorLogo = false;
    QLabel *m_logo;
    QLabel *m_title;
    QLabel *m_hint;
};
