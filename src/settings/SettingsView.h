#pragma once

#include "core/AppTheme.h"
#include "services/HotkeyManager.h"
#include "services/KeyStore.h"

#include <QFutureWatcher>
#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <optional>

class FormSection;
class HotkeyRecorderView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class SaveStatusView;
class SegmentedControl;
class SpinnerView;
class UserDefaults;

// The content of the settings window. The provider and the theme are stored
// the moment they are picked; keys, default models and hotkeys only on Save.
// Everything else typed or recorded lives here until then, also while the
// window is closed.
class SettingsView : public QWidget
{
    Q_OBJECT

public:
    // hotkeys may be null: the bindings are then stored for the next start.
    explicit SettingsView(HotkeyManager *hotkeys, QWidget *parent = nullptr);
    SettingsView(UserDefaults &defaults, HotkeyManager *hotkeys, QWidget *parent = nullptr);
    SettingsView(UserDefaults &defaults, KeyStore &keys, HotkeyManager *hotkeys, QWidget *parent = nullptr);

    static QString geminiKeyPage();
    static QString openRouterKeyPage();

    // Read from the preferences each time.
    QString selectedProvider() const;
    AppTheme appTheme() const;

    QString geminiApiKey() const;
    QString openRouterApiKey() const;
    QString localApiKey() const;
    QString localServerAddress() const;
    QString selectedLocalModel() const { return m_selectedLocalModel; }
    QStringList localModels() const { return m_localModels; }
    bool isLoadingLocalModels() const { return m_isLoadingLocalModels; }
    // Why the local server's models could not be listed, or empty.
    QString localServerProblem() const;
    QString selectedGeminiModel() const { return m_selectedGeminiModel; }
    QString selectedOpenRouterModel() const { return m_selectedOpenRouterModel; }
    QStringList openRouterModels() const { return m_openRouterModels; }
    bool isLoadingModels() const { return m_isLoadingModels; }
    bool savedConfirmation() const;
    // "Saved!", what failed, or empty.
    QString saveStatusText() const;

    HotkeyRecorderView *launchRecorder() const { return m_launchRecorder; }
    HotkeyRecorderView *screenshotRecorder() const { return m_screenshotRecorder; }
    // Scrolls to the launch hotkey's recorder and starts recording there.
    void recordLaunchHotkey();

    // Asks OpenRouter for its models with the key typed; nothing without a key.
    void fetchModelsIfPossible();
    // Asks the local server at the typed address for its models.
    void fetchLocalModels();
    void save();

    // The stored keys have been read into the key fields.
    bool hasReadStoredKeys() const { return m_storedKeys.has_value(); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void takeColoursFromPalette();
    QWidget *buildHeader();
    QWidget *buildForm();
    QWidget *buildFooter();
    FormSection *buildApiSection(QWidget *parent);
    void buildLocalRows(FormSection *section);
    struct ModelRow
    {
        QWidget *row = nullptr;
        QComboBox *menu = nullptr;
        SpinnerView *spinner = nullptr;
        QToolButton *refresh = nullptr;
    };
    ModelRow modelRow(FormSection *section, const QString &menuName, const QString &refreshName,
                      const QString &refreshTip, QString SettingsView::*selection, void (SettingsView::*refresh)());
    FormSection *buildHotkeySection(QWidget *parent);
    QWidget *hotkeyControl(HotkeyRecorderView *recorder);

    void pickProvider(int index);
    void pickTheme(int index);
    void showProviderRows();
    void showStoredTheme();
    void showOpenRouterModels();
    void showModelsLoading();
    void showLocalModels();
    void showLocalModelsLoading();
    void showLocalServerProblem(const QString &problem);
    void showPlainHttpWarning();
    void showHotkeyProblems();
    QString hotkeyMechanismText(HotkeyManager::Hotkey hotkey) const;
    void openKeyPage();
    void traceControlPositions();
    void readStoredKeys();
    void showStoredKeys();
    // The model list of the provider shown, as the window opens.
    void fetchProviderModels();
    QLineEdit *fieldForAccount(const QString &account) const;

    struct StoredKeys
    {
        QHash<QString, KeyStore::Lookup> lookups; // by account
        QString storeDescription;
    };

    UserDefaults &m_defaults;
    KeyStore &m_keys;
    // The program's manager may go first when the program ends.
    QPointer<HotkeyManager> m_hotkeys;

    QString m_selectedGeminiModel;
    QString m_selectedOpenRouterModel;
    QStringList m_openRouterModels;
    bool m_isLoadingModels = false;
    QString m_selectedLocalModel;
    QStringList m_localModels;
    bool m_isLoadingLocalModels = false;
    quint64 m_localModelsRequest = 0; // the latest; older answers are dropped

    SegmentedControl *m_providerPicker = nullptr;
    SegmentedControl *m_themePicker = nullptr;
    QLineEdit *m_geminiKeyField = nullptr;
    QLineEdit *m_openRouterKeyField = nullptr;
    QComboBox *m_geminiModelMenu = nullptr;
    QComboBox *m_openRouterModelMenu = nullptr;
    QToolButton *m_refreshButton = nullptr;
    SpinnerView *m_spinner = nullptr;
    QWidget *m_geminiKeyRow = nullptr;
    QWidget *m_geminiModelRow = nullptr;
    QWidget *m_openRouterKeyRow = nullptr;
    QWidget *m_openRouterModelRow = nullptr;
    QLineEdit *m_localAddressField = nullptr;
    QLineEdit *m_localKeyField = nullptr;
    QComboBox *m_localModelMenu = nullptr;
    QToolButton *m_localRefreshButton = nullptr;
    SpinnerView *m_localSpinner = nullptr;
    QLabel *m_localProblem = nullptr;
    QLabel *m_plainHttpWarning = nullptr;
    QList<QWidget *> m_localRows;
    QLabel *m_keyStoreCaption = nullptr;
    QFutureWatcher<StoredKeys> *m_keysRead = nullptr;
    std::optional<StoredKeys> m_storedKeys;
    HotkeyRecorderView *m_launchRecorder = nullptr;
    HotkeyRecorderView *m_screenshotRecorder = nullptr;
    QLabel *m_launchMechanism = nullptr;
    QLabel *m_screenshotMechanism = nullptr;
    QLabel *m_launchProblem = nullptr;
    QLabel *m_screenshotProblem = nullptr;
    QPushButton *m_keyPageLink = nullptr;
    SaveStatusView *m_saveStatus = nullptr;
    QPushButton *m_saveButton = nullptr;
};
