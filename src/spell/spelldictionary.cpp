#include "spelldictionary.h"

#include "personaldictionary.h"
#include "workplacelogging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
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

// Hunspell shares tables between its instances without a lock of its own:
// checkers are made and destroyed one at a time, whichever thread does it.
QMutex &checkerLifetimeLock()
{
    static QMutex lock;
    return lock;
}

std::unique_ptr<Hunspell> loadChecker(const QByteArray &aff, const QByteArray &dic)
{
    const QMutexLocker locker(&checkerLifetimeLock());
    return std::make_unique<Hunspell>(aff.constData(), dic.constData());
}

} // namespace

SpellDictionary::SpellDictionary(const QString &path, std::future<std::unique_ptr<Hunspell>> loading)
    : m_path(path)
    , m_loading(std::move(loading))
{
}

SpellDictionary::~SpellDictionary()
{
    std::unique_ptr<Hunspell> neverAsked = m_loading.valid() ? m_loading.get() : nullptr;
    const QMutexLocker locker(&checkerLifetimeLock());
    neverAsked.reset();
    m_checker.reset();
}

Hunspell *SpellDictionary::checker() const
{
    if (m_checker)
        return m_checker.get();
    m_checker = m_loading.get();
    m_encoding = QString::fromStdString(m_checker->get_dict_encoding());
    m_codec = QTextCodec::codecForName(m_encoding.toLatin1());
    if (!m_codec) {
        qCWarning(lcSpell) << "Dictionary" << m_path << "declares the unknown encoding" << m_encoding << "- read as UTF-8";
        m_codec = QTextCodec::codecForName("UTF-8");
    }
    // Words the user added live in the user's own dictionary, not in the files.
    for (const QString &word : PersonalDictionary::instance()->words())
        m_checker->add(m_codec->fromUnicode(word).toStdString());
    qCDebug(lcSpell) << "Loaded" << m_path << "in" << m_encoding;
    return m_checker.get();
}

QString SpellDictionary::encoding() const
{
    checker();
    return m_encoding;
}

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
    QSharedPointer<SpellDictionary> dictionary(new SpellDictionary(
            path, std::async(std::launch::async, loadChecker, QFile::encodeName(aff.filePath()),
                             QFile::encodeName(dic.filePath()))));
    registry().insert(path, dictionary);
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
    Hunspell *hunspell = checker();
    const bool accepted = hunspell->spell(m_codec->fromUnicode(word).toStdString());
    m_answers.insert(word, accepted);
    return accepted;
}

QStringList SpellDictionary::suggest(const QString &word) const
{
    QStringList suggestions;
    if (spell(word))
        return suggestions;
    Hunspell *hunspell = checker();
    const std::vector<std::string> found = hunspell->suggest(m_codec->fromUnicode(word).toStdString());
    for (const std::string &suggestion : found)
        suggestions.append(m_codec->toUnicode(QByteArray::fromStdString(suggestion)));
    return suggestions;
}

void SpellDictionary::add(const QString &word)
{
    if (word.isEmpty())
        return;
    Hunspell *hunspell = checker();
    hunspell->add(m_codec->fromUnicode(word).toStdString());
    m_answers.clear();
}
