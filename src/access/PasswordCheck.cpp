#include "access/PasswordCheck.h"

#include "cipher/Md5.h"
#include "core/TextTrim.h"

QString PasswordCheck::comparable(const QString &typed, const QString &checkPass)
{
    const QString text = TextTrim::trimmed(typed);
    return checkPass.size() >= DigestLength ? MD5OfText(text) : text;
}

bool PasswordCheck::matches(const QString &typed, const QString &checkPass)
{
    return comparable(typed, checkPass) == checkPass;
}

QString PasswordCheck::storedForm(const QString &typed)
{
    return MD5OfText(TextTrim::trimmed(typed));
}
