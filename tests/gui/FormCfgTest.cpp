#include "config/Config.h"
#include "config/Debug.h"
#include "config/SettingsKeys.h"
#include "dialogs/FormCfg.h"
#include "platform/Platform.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

namespace {

class THelpOnlyPlatform : public IPlatform {
public:
    bool helpExists = true;
    std::vector<std::string> helpTopics;
    void OpenInShell(const std::string&, TShellFailed) override {}
    bool ShowHelp(const std::string& topic) override
    {
        helpTopics.push_back(topic);
        return helpExists;
    }
    void ShowMessage(const std::string&, const std::string&) override {}
    bool Confirm(const std::string&, const std::string&) override { return false; }
    void SetClipboardText(const std::string&) override {}
};

} // namespace

class FormCfgTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_config = std::make_unique<TConfig>();
        m_log = std::make_unique<TDebug>(m_dir.filePath("quillane.TXT").toStdString());
    }

    void range_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("keys"); // u: up arrow, d: down arrow, or text typed over the value
        QTest::addColumn<int>("written");
        QTest::newRow("missing key shows 0, OK writes 0") << -99 << "" << 0;
        QTest::newRow("up at 5 stays 5") << 5 << "u" << 5;
        QTest::newRow("down at -5 stays -5") << -5 << "d" << -5;
        QTest::newRow("typing 9 keeps the last valid value") << 2 << "9" << 2;
        QTest::newRow("typing -3 replaces the value shown") << 0 << "-3" << -3;
        QTest::newRow("typing -1 over 4") << 4 << "-1" << -1;
        QTest::newRow("up from 1") << 1 << "u" << 2;
    }
    void range()
    {
        QFETCH(int, stored);
        QFETCH(QString, keys);
        QFETCH(int, written);
        if (stored != -99)
            m_config->WriteInteger(kCmtIndicator, stored);
        THelpOnlyPlatform platform;
        TFormCfg form(*m_config, *m_log, platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // Keys go where the open dialog has its focus, with no click first.
        QCOMPARE(QApplication::focusWidget(), form.EditCI);
        if (keys == "u")
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        else if (keys == "d")
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        else if (!keys.isEmpty())
            QTest::keyClicks(QApplication::focusWidget(), keys);
        QTest::mouseClick(form.ButtonOK, Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(m_config->ReadString(kCmtIndicator), std::to_string(written));
    }

    // Text that is not yet a number is refused, by Enter and by OK, until it is one.
    void incompleteNumberIsRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("a lone minus") << "-";
        QTest::newRow("nothing") << "";
    }
    void incompleteNumberIsRefused()
    {
        QFETCH(QString, typed);
        m_config->WriteInteger(kCmtIndicator, 2);
        THelpOnlyPlatform platform;
        TFormCfg form(*m_config, *m_log, platform);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(form.EditCI, Qt::Key_Delete);
        QTest::keyClicks(form.EditCI, typed);
        QTest::keyClick(form.EditCI, Qt::Key_Return);
        QVERIFY(form.isVisible());
        QCOMPARE(form.EditCI->text(), typed);
        QVERIFY(!form.ButtonOK->isEnabled());
        QTest::keyClicks(form.EditCI, "4");
        QVERIFY(form.ButtonOK->isEnabled());
        QTest::keyClick(form.EditCI, Qt::Key_Return);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(m_config->ReadInteger(kCmtIndicator), typed.isEmpty() ? 4 : -4);
    }

    void cancelWritesNothing()
    {
        THelpOnlyPlatform platform;
        TFormCfg form(*m_config, *m_log, platform);
        form.show();
        QTest::keyClick(form.EditCI, Qt::Key_Up);
        QTest::mouseClick(form.ButtonCancel, Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(m_config->Lines().empty());
    }

    void helpOpensItsTopicOrLogs()
    {
        THelpOnlyPlatform platform;
        TFormCfg form(*m_config, *m_log, platform);
        QTest::mouseClick(form.Help, Qt::LeftButton);
        QCOMPARE(platform.helpTopics, std::vector<std::string>{"AboutCommentIndicator.htm"});
        QVERIFY(m_log->Lines().empty());
        platform.helpExists = false;
        QTest::mouseClick(form.Help, Qt::LeftButton);
        QCOMPARE(m_log->Lines(), TLines{"Help file open error!"});
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TConfig> m_config;
    std::unique_ptr<TDebug> m_log;
};

QTEST_MAIN(FormCfgTest)
#include "FormCfgTest.moc"
