// Choose Directory: a folder field over a tree of the install root's folders. OK passes the
// field to a check, which may ask its questions; the dialog closes only when the check agrees.
#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QTreeView;
class QFileSystemModel;

namespace gw::setup {

class ChooseDirectoryDialog : public QDialog {
  Q_OBJECT

 public:
  using Check = std::function<bool(const QString& folder)>;
  // `root` is the install root on this machine; the field shows system paths below it.
  ChooseDirectoryDialog(const QString& root, const QString& folder, Check check,
                        QWidget* parent = nullptr);

  QString folder() const;
  QLineEdit* folderField() const { return field_; }

 public slots:
  void accept() override;

 private:
  void showFolder(const QModelIndex& index);

  QString root_;
  Check check_;
  QLineEdit* field_;
  QTreeView* tree_;
  QFileSystemModel* model_;
};

}  // namespace gw::setup
