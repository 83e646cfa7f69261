#include "store/DatabaseError.h"

DatabaseError::DatabaseError(const QString &text, int code)
    : std::runtime_error(text.toStdString()), m_text(text), m_code(code)
{
}
