#include "dialogs/FormCfg.h"

#include "config/Config.h"
#include "config/Debug.h"
#include "config/SettingsKeys.h"
#include "platform/Platform.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

TFormCfg::TFormCfg(TConfig& config, TDebug& debugLog, IPlatform& platform, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint),
      m_config(config), m_debugLog(debugLog), m_platform(platform)
{
    setObjectName("FormCfg");
    setWindowTitle(QString());
    setFixedSize(256, 109);

    Label1 = new QLabel("  Edit Comment Indicator :", this);
    EditCI = new QSpinBox(this);
    EditCI->setObjectName("EditCI");
    EditCI->setRange(-5, 5);
    EditCI->setSingleStep(1);
    EditCI->setWrapping(false);
    EditCI->setValue(0);
    ButtonOK = new QPushButton("OK", this);
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton("Cancel", this);
    Help = new QPushButton("Help", this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0, 1, 3);
    layout->addWidget(EditCI, 1, 0, 1, 3);
    layout->addWidget(ButtonOK, 2, 0);
    layout->addWidget(ButtonCancel, 2, 1);
    layout->addWidget(Help, 2, 2);

    // Text that is not yet a number (a lone "-", nothing) is refused: OK waits for a number,
    // and Enter does not take the last valid value in its place.
    // (The spin box tells only of new values; its edit field tells of every keystroke.)
    connect(EditCI->findChild<QLineEdit*>(), &QLineEdit::textChanged, this,
            [this] { ButtonOK->setEnabled(EditCI->hasAcceptableInput()); });
    EditCI->installEventFilter(this);
    connect(ButtonOK, &QPushButton::clicked, this, &TFormCfg::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(Help, &QPushButton::clicked, this, &TFormCfg::HelpClick);
    FormCreate();
}

void TFormCfg::FormCreate()
{
    // A hand-edited value outside the range shows as the nearest valid one.
    EditCI->setValue(m_config.ReadInteger(kCmtIndicator));
}

void TFormCfg::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TFormCfg::FormShow()
{
    if (parentWidget())
        setFont(parentWidget()->font());
    // The number is selected, so what the user types at once replaces it.
    EditCI->setFocus();
    EditCI->selectAll();
}

bool TFormCfg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == EditCI && event->type() == QEvent::KeyPress && !EditCI->hasAcceptableInput()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormCfg::ButtonOKClick()
{
    // Text that is not a number from -5 to 5 never becomes the value: the last valid one is written.
    m_config.WriteInteger(kCmtIndicator, EditCI->value());
    accept();
}

void TFormCfg::HelpClick()
{
    if (!m_platform.ShowHelp("AboutCommentIndicator.htm"))
        m_debugLog.AddLine("Help file open error!");
}
