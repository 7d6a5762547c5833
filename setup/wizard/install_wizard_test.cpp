// The wizard off screen: the licence's No, the Exit Setup question, the Choose Directory
// questions, a cancel during the copy, and a full run by hand and by autopilot.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "setup/logic/setup_tables.h"
#include "setup/wizard/choose_directory_dialog.h"
#include "setup/wizard/copy_page.h"
#include "setup/wizard/destination_page.h"
#include "setup/wizard/install_wizard.h"
#include "testing/fake_clock.h"
#include "testing/fake_file_installer.h"
#include "testing/fake_program_starter.h"
#include "testing/recording_prompts.h"
#include "testing/recording_service_registrar.h"
#include "testing/temp_dir.h"

namespace gw::setup {

// A file installer that presses the wizard's Cancel while the third file is being copied, as
// a click would arrive between two rows.
class CancellingInstaller : public FakeFileInstaller {
 public:
  uint32_t install(const std::string& source, const std::string& target, unsigned mode) override {
    if (calls.size() == 2 && wizard) wizard->reject();
    return FakeFileInstaller::install(source, target, mode);
  }
  InstallWizard* wizard = nullptr;
};

// Everything one wizard needs, over a scratch root.
struct Rig {
  TempDir root;
  FakeClock clock;
  RecordingPrompts prompts;
  CancellingInstaller installer;
  RecordingServiceRegistrar registrar{root.path()};
  FakeProgramStarter starter{&clock};
  SystemSteps steps{InstallRoot(root.path()), registrar, UsbIds{1, 2}};
  InstallSession session{"/media/cd", InstallRoot(root.path()), prompts, installer, steps, starter,
                         clock};
  InstallWizard wizard{session};
  Rig() {
    installer.wizard = &wizard;
    wizard.show();
  }
  void click(QWizard::WizardButton which) { QTest::mouseClick(wizard.button(which), Qt::LeftButton); }
};

class InstallWizardTest : public QObject {
  Q_OBJECT

 private slots:
  void licenceNoEndsSetupAtOnce() {
    Rig rig;
    QCOMPARE(rig.wizard.windowTitle(), QString("Install"));
    QCOMPARE(rig.wizard.currentPage()->title(), QString("Norvane - Gridwatch Plus 2.1.4 Setup"));
    rig.click(QWizard::NextButton);
    QCOMPARE(rig.wizard.currentId(), int(InstallWizard::kLicence));
    QCOMPARE(rig.wizard.button(QWizard::NextButton)->text(), QString("Yes"));
    QCOMPARE(rig.wizard.button(QWizard::CancelButton)->text(), QString("No"));
    rig.click(QWizard::CancelButton);
    QCOMPARE(rig.wizard.result(), int(QDialog::Rejected));
    QVERIFY(!rig.wizard.isVisible());
    QVERIFY(rig.prompts.questions.empty());
    QVERIFY(rig.installer.calls.empty());
  }

  void cancelAsksExitSetup() {
    Rig rig;
    rig.prompts.yes_no = {false, true};
    rig.click(QWizard::CancelButton);
    QVERIFY(rig.wizard.isVisible());
    QCOMPARE(rig.prompts.questions.size(), size_t{1});
    QCOMPARE(QString::fromStdString(rig.prompts.questions[0].caption), QString("Exit Setup"));
    rig.click(QWizard::CancelButton);
    QVERIFY(!rig.wizard.isVisible());
    QCOMPARE(rig.wizard.result(), int(QDialog::Rejected));
  }

  void chooseDirectoryAsksBeforeCreating() {
    Rig rig;
    rig.installer.wizard = nullptr;
    rig.click(QWizard::NextButton);
    rig.click(QWizard::NextButton);
    QCOMPARE(rig.wizard.currentId(), int(InstallWizard::kDestination));
    DestinationPage* page = rig.wizard.destinationPage();
    QCOMPARE(page->folderField()->text(), QString("/opt/GridwatchPlus"));
    QCOMPARE(page->browseButton()->text(), QString("Browse..."));

    rig.root.write("file", "in the way");
    rig.prompts.yes_no = {false, true};
    bool seen_dialog = false;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<ChooseDirectoryDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      seen_dialog = true;
      QCOMPARE(dialog->windowTitle(), QString("Choose Directory"));
      // Refused: no question, a warning, and the dialog stays.
      dialog->folderField()->setText("/file/sub");
      dialog->accept();
      QVERIFY(dialog->isVisible());
      QCOMPARE(QString::fromStdString(rig.prompts.messages.at(0).text),
               QString("The specified directory:\n\n'/file/sub'\n\nis invalid, incomplete or "
                       "write protected. Please type a full path; for example '/opt/APPS'."));
      // Missing: asked, No keeps the dialog and creates nothing, Yes creates and closes it.
      dialog->folderField()->setText("/srv/Gridwatch Plus");
      dialog->accept();
      QVERIFY(dialog->isVisible());
      QVERIFY(!rig.root.exists("srv"));
      dialog->accept();
      QVERIFY(!dialog->isVisible());
    });
    QTest::mouseClick(page->browseButton(), Qt::LeftButton);
    QVERIFY(seen_dialog);
    QCOMPARE(rig.prompts.questions.size(), size_t{2});
    QCOMPARE(QString::fromStdString(rig.prompts.questions[0].text),
             QString("The directory:\n\n'/srv/Gridwatch Plus'\n\ndoes not exist. Do you want "
                     "the directory to be created?"));
    QVERIFY(QFileInfo(QString::fromStdString(rig.root.file("srv/Gridwatch Plus"))).isDir());
    QCOMPARE(page->folderField()->text(), QString("/srv/Gridwatch Plus"));
    // The folder exists now: Next takes it without another question.
    rig.click(QWizard::CommitButton);
    QTRY_COMPARE(rig.wizard.currentId(), int(InstallWizard::kComplete));
    QCOMPARE(rig.prompts.questions.size(), size_t{2});
    QVERIFY(rig.root.exists("srv/Gridwatch Plus/monsvc"));
  }

  void cancelDuringTheCopyKeepsTheCopiedFiles() {
    Rig rig;
    std::filesystem::create_directories(rig.root.file("opt/GridwatchPlus"));
    rig.click(QWizard::NextButton);
    rig.click(QWizard::NextButton);
    rig.click(QWizard::CommitButton);
    QTRY_VERIFY(!rig.wizard.isVisible());
    QCOMPARE(rig.wizard.result(), int(QDialog::Rejected));
    QCOMPARE(rig.installer.calls.size(), size_t{3});
    QVERIFY(rig.root.exists("opt/GridwatchPlus/monview"));
    QVERIFY(rig.root.exists("opt/GridwatchPlus/porter"));
    QVERIFY(rig.registrar.log.empty());
    QVERIFY2(rig.prompts.questions.empty(), "the copy's cancel needs no confirmation");
  }

  void autopilotTakesEveryDefault() {
    Rig rig;
    rig.installer.wizard = nullptr;
    rig.installer.setSize("monview.ex_", 100);
    rig.wizard.setAutopilot(true);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.wizard.isVisible(), 10000);
    QCOMPARE(rig.wizard.result(), int(QDialog::Accepted));
    QCOMPARE(rig.wizard.copyPage()->progressBar()->text(), QString("100%"));
    QCOMPARE(rig.wizard.runClientBox()->text(), QString("Execute the Gridwatch Plus Now."));
    QCOMPARE(rig.installer.calls.size(), kProgramFiles.size());
    QCOMPARE(rig.registrar.log.size(), size_t{1});
    // The service only, never the client.
    QCOMPARE(rig.starter.starts.size(), size_t{1});
    QCOMPARE(QString::fromStdString(rig.starter.starts[0].program),
             QString::fromStdString(rig.root.file("opt/GridwatchPlus/monsvc")));
  }
};

}  // namespace gw::setup

QTEST_MAIN(gw::setup::InstallWizardTest)
#include "install_wizard_test.moc"
