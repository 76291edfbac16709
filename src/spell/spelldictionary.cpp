#include "spelldictionary.h"

#include "personaldictionary.h"
#include "workplacelogging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextCodec>

#include <hunspell.hxx>

#ifdef Q_OS_UNIX
#include <dlfcn.h>
#endif

namespace {

using Registry = QHash<QString, QWeakPointer<SpellDictionary>>;

Registry &registry()
{
    static Registry loaded;
    return loaded;
}

QString libraryDirectory()
{
#ifdef Q_OS_UNIX
    Dl_info info;
    if (dladdr(reinterpret_cast<void *>(&libraryDirectory), &info) && info.dli_fname)
        return QFileInfo(QFile::decodeName(info.dli_fname)).absolutePath();
#endif
    return QCoreApplication::applicationDirPath();
}

const QString systemDictionaryFolder = QStringLiteral("/usr/share/hunspell");

// Answers kept before the cache is started afresh; a text has far fewer distinct words.
constexpr int maxCachedAnswers = 200000;

} // namespace

SpellDictionary::SpellDictionary(const QString &path, std::unique_ptr<Hunspell> checker)
    : m_path(path)
    , m_checker(std::move(checker))
{
    m_encoding = QString::fromStdString(m_checker->get_dict_encoding());
    m_codec = QTextCodec::codecForName(m_encoding.toLatin1());
    if (!m_codec) {
        qCWarning(lcSpell) << "Dictionary" << path << "declares the unknown encoding" << m_encoding << "- read as UTF-8";
        m_codec = QTextCodec::codecForName("UTF-8");
    }
}

SpellDictionary::~SpellDictionary() = default;

QString SpellDictionary::locate(const QString &dicPath)
{
    if (dicPath.isEmpty())
        return QString();
    const QFileInfo given(dicPath);
    if (given.isAbsolute())
        return QDir::cleanPath(given.filePath());
    const QString besideLibrary = QDir::cleanPath(QDir(libraryDirectory()).filePath(dicPath));
    if (QFileInfo(besideLibrary).isReadable())
        return besideLibrary;
    const QString system = QDir(systemDictionaryFolder).filePath(given.fileName());
    if (QFileInfo(system).isReadable())
        return system;
    return besideLibrary;
}

QSharedPointer<SpellDictionary> SpellDictionary::open(const QString &dicPath)
{
    const QString path = locate(dicPath);
    if (path.isEmpty())
        return {};
    if (QSharedPointer<SpellDictionary> loaded = registry().value(path).toStrongRef())
        return loaded;

    // The base name is the .dic path without its extension; the .aff file shares it.
    const QString base = path.left(path.size() - 4);
    const QFileInfo dic(path);
    const QFileInfo aff(base + QStringLiteral(".aff"));
    if (!path.endsWith(QLatin1String(".dic"), Qt::CaseInsensitive) || !dic.isFile() || !dic.isReadable()
        || !aff.isFile() || !aff.isReadable()) {
        qCWarning(lcSpell) << "No spelling dictionary at" << path;
        return {};
    }
    auto checker = std::make_unique<Hunspell>(QFile::encodeName(aff.filePath()).constData(),
                                              QFile::encodeName(dic.filePath()).constData());
    QSharedPointer<SpellDictionary> dictionary(new SpellDictionary(path, std::move(checker)));
    for (const QString &word : PersonalDictionary::instance()->words())
        dictionary->add(word);
    registry().insert(path, dictionary);
    qCDebug(lcSpell) << "Loaded" << path << "in" << dictionary->encoding();
    return dictionary;
}

void SpellDictionary::addToAll(const QString &word)
{
    for (auto it = registry().begin(); it != registry().end();) {
        if (QSharedPointer<SpellDictionary> dictionary = it.value().toStrongRef()) {
            dictionary->add(word);
            ++it;
        } else {
            it = registry().erase(it);
        }
    }
}

bool SpellDictionary::spell(const QString &word) const
{
    const auto known = m_answers.constFind(word);
    if (known != m_answers.cend())
        return known.value();
    if (m_answers.size() >= maxCachedAnswers)
        m_answers.clear();
    const bool accepted = m_checker->spell(m_codec->fromUnicode(word).toStdString());
    m_answers.insert(word, accepted);
    return accepted;
}

QStringList SpellDictionary::suggest(const QString &word) const
{
    QStringList suggestions;
    if (spell(word))
        return suggestions;
    const std::vector<std::string> found = m_checker->suggest(m_codec->fromUnicode(word).toStdString());
    for (const std::string &suggestion : found)
        suggestions.append(m_codec->toUnicode(QByteArray::fromStdString(suggestion)));
    return suggestions;
}

void SpellDictionary::add(const QString &word)
{
    if (word.isEmpty())
        return;
    m_checker->add(m_codec->fromUnicode(word).toStdString());
    m_answers.clear();
}
