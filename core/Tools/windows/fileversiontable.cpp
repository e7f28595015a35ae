#include "fileversiontable.h"

#include <windows.h>

#include <vector>

namespace NoxCore
{
namespace Tools
{

namespace
{

// Long enough for the deepest install folder Windows lets a program run from without a long-path prefix.
const DWORD MAX_MODULE_PATH = 32768;

} // namespace

std::unique_ptr<FileVersionTable> FileVersionTable::ofProgram()
{
    std::vector<wchar_t> path(MAX_MODULE_PATH, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (length == 0 || length >= path.size())
        return nullptr;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.data(), &ignored);
    if (size == 0)
        return nullptr;
    QByteArray block(int(size), '\0');
    if (!::GetFileVersionInfoW(path.data(), 0, size, block.data()))
        return nullptr;
    return std::unique_ptr<FileVersionTable>(new FileVersionTable(block));
}

FileVersionTable::FileVersionTable(const QByteArray& block) : itsBlock(block) {}

QVector<quint32> FileVersionTable::translations() const
{
    void* value = nullptr;
    UINT size = 0;
    QVector<quint32> translations;
    if (!::VerQueryValueW(itsBlock.constData(), L"\\VarFileInfo\\Translation", &value, &size) ||
        value == nullptr)
        return translations;
    // Pairs of 16-bit language and code page, language first: read as one little-endian 32-bit value
    // each, the language is in its low half.
    const auto* pairs = static_cast<const WORD*>(value);
    for (UINT index = 0; index + 1 < size / sizeof(WORD); index += 2)
        translations.append(quint32(pairs[index]) | (quint32(pairs[index + 1]) << 16));
    return translations;
}

QString FileVersionTable::string(const QString& path) const
{
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(itsBlock.constData(), reinterpret_cast<const wchar_t*>(path.utf16()), &value,
                          &length) ||
        value == nullptr || length == 0)
        return QString();
    // The length counts characters and, for most writers of resources, the terminator too.
    const QString text = QString::fromWCharArray(static_cast<const wchar_t*>(value), int(length));
    return text.left(text.indexOf(QChar('\0')) < 0 ? text.size() : text.indexOf(QChar('\0')));
}

} // namespace Tools
} // namespace NoxCore
