#include "db/dataset.h"

#include "db/database.h"
#include "db/dberror.h"

namespace db {

DataSet::DataSet(QObject* parent)
    : QObject(parent) {}

DataSet::~DataSet() = default;

void DataSet::setDatabaseName(const QString& dir) {
    if (Active() && dir != m_databaseName)
        throw EngineError(InvalidOperation,
                          QStringLiteral("Cannot change the data directory of an open dataset"));
    m_databaseName = dir;
}

Field* DataSet::FindField(const QString& name) {
    for (auto& f : m_fields) // the name as declared is the usual case and the cheapest test
        if (f->FieldName() == name)
            return f.get();
    for (auto& f : m_fields)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return f.get();
    return nullptr;
}

Field& DataSet::FieldByName(const QString& name) {
    if (Field* f = FindField(name))
        return *f;
    throw EngineError(FieldNotFound, QStringLiteral("Field \"%1\" not found").arg(name));
}

Bookmark DataSet::GetBookmark() const {
    if (!m_hasRecord)
        return {};
    return {currentRowid(), true};
}

std::vector<Record> DataSet::readRowsAfter(const Record&, int) {
    return {};
}

std::vector<Record> DataSet::readRowsBefore(const Record&, int) {
    return {};
}

QVariant DataSet::fieldValue(int index) const {
    if (!m_view || index < 0 || index >= static_cast<int>(m_view->size()))
        return {};
    return (*m_view)[index];
}

void DataSet::setFieldValue(int, const QVariant&) {
    throw EngineError(InvalidOperation, QStringLiteral("The result of a query cannot be changed"));
}

void DataSet::buildFields(const std::vector<FieldInfo>& infos) {
    bool same = infos.size() == m_fields.size();
    for (size_t i = 0; same && i < infos.size(); ++i)
        same =
            m_fields[i]->FieldName() == infos[i].name && m_fields[i]->DataType() == infos[i].type;
    if (same)
        return; // fields handed out earlier stay valid across Close and Open
    m_fields.clear();
    for (size_t i = 0; i < infos.size(); ++i)
        m_fields.push_back(std::make_unique<Field>(this, static_cast<int>(i), infos[i]));
}

void DataSet::addRecordEditor(QObject* owner, std::function<bool()> update) {
    removeRecordEditor(owner);
    m_editors.emplace_back(owner, std::move(update));
}

void DataSet::removeRecordEditor(QObject* owner) {
    std::erase_if(m_editors, [owner](const auto& e) { return !e.first || e.first == owner; });
}

bool DataSet::UpdateRecord() {
    // An editor showing its message may let events run; the post that asked is still
    // waiting for the answer, so a nested request has nothing to add.
    if (m_updating)
        return true;
    m_updating = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_updating};
    std::erase_if(m_editors, [](const auto& e) { return !e.first; });
    const auto editors = m_editors; // an editor may go while others write
    for (const auto& [owner, update] : editors)
        if (owner && !update())
            return false;
    return true;
}

void DataSet::setState(DataSetState state) {
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged();
}

void DataSet::scrolled() {
    if (AfterScroll)
        AfterScroll(*this);
    emit afterScroll();
}

void DataSet::requireActive() const {
    if (!Active())
        throw EngineError(InvalidOperation, QStringLiteral("The dataset is not open"));
}

} // namespace db
