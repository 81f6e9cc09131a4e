#include "fit_width_validator.h"

#include <QtWidgets/QLineEdit>
#include <QtWidgets/QStyle>
#include <QtWidgets/QStyleOptionFrame>

namespace cw {

CFitWidthValidator::CFitWidthValidator(QLineEdit* field) : QValidator(field), field_(field) {}

QValidator::State CFitWidthValidator::validate(QString& text, int& /*position*/) const {
  QStyleOptionFrame option;
  option.initFrom(field_);
  option.lineWidth =
      field_->hasFrame() ? field_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field_) : 0;
  const QRect inner = field_->style()->subElementRect(QStyle::SE_LineEditContents, &option, field_);
  const QMargins margins = field_->textMargins();
  // QLineEdit keeps a couple of pixels of its own on either side of the text
  // and needs room for the cursor after the last character.
  const int room = inner.width() - margins.left() - margins.right() - 2 * 2 - 1;
  return field_->fontMetrics().horizontalAdvance(text) <= room ? Acceptable : Invalid;
}

}  // namespace cw
