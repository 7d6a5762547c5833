// The tree only helps to fill the field; the field is what the check sees.
#include "setup/wizard/choose_directory_dialog.h"

#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>

namespace gw::setup {

ChooseDirectoryDialog::ChooseDirectoryDialog(const QString& root, const QString& folder,
                                             Check check, QWidget* parent)
    : QDialog(parent), root_(root == "/" ? QString() : root), check_(std::move(check)) {
  setWindowTitle("Choose Directory");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Path:", this));
  field_ = new QLineEdit(folder, this);
  layout->addWidget(field_);
  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  QModelIndex top = model_->setRootPath(root_.isEmpty() ? "/" : root_);
  tree_ = new QTreeView(this);
  tree_->setModel(model_);
  tree_->setRootIndex(top);
  for (int column = 1; column < model_->columnCount(); ++column) tree_->hideColumn(column);
  tree_->header()->hide();
  layout->addWidget(tree_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &ChooseDirectoryDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ChooseDirectoryDialog::reject);
  connect(tree_, &QTreeView::clicked, this, &ChooseDirectoryDialog::showFolder);
  resize(420, 360);
}

QString ChooseDirectoryDialog::folder() const { return field_->text().trimmed(); }

void ChooseDirectoryDialog::accept() {
  if (check_(folder())) QDialog::accept();
}

void ChooseDirectoryDialog::showFolder(const QModelIndex& index) {
  QString path = model_->filePath(index);
  if (!root_.isEmpty() && path.startsWith(root_)) path = path.mid(root_.size());
  field_->setText(path.isEmpty() ? "/" : path);
}

}  // namespace gw::setup
