#pragma once
// Keeps a line edit's text within what its width shows, so that the field
// never scrolls: used by the credit fields.

#include <QtGui/QValidator>

class QLineEdit;

namespace cw {

class CFitWidthValidator : public QValidator {
 public:
  explicit CFitWidthValidator(QLineEdit* field);
  State validate(QString& text, int& position) const override;

 private:
  QLineEdit* field_;
};

}  // namespace cw
