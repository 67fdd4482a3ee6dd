#include "ui/fieldlink.h"

#include "db/dataset.h"
#include "db/dberror.h"
#include "db/table.h"
#include "ui/dialogs.h"

namespace ui {

FieldLink::FieldLink(QObject* owner, db::DataSet* dataSet, const QString& fieldName,
                     std::function<void()> refresh)
    : QObject(owner)
    , m_set(dataSet)
    , m_fieldName(fieldName)
    , m_refresh(std::move(refresh)) {
    if (!dataSet)
        return;
    connect(dataSet, &db::DataSet::afterScroll, this, &FieldLink::changed);
    connect(dataSet, &db::DataSet::dataChanged, this, &FieldLink::changed);
    connect(dataSet, &db::DataSet::stateChanged, this, &FieldLink::changed);
    connect(dataSet, &db::DataSet::fieldChanged, this, &FieldLink::onFieldChanged);
    connect(dataSet, &QObject::destroyed, this, &FieldLink::changed);
}

db::Field* FieldLink::field() const {
    if (!m_set || !m_set->Active())
        return nullptr;
    return m_set->FindField(m_fieldName);
}

bool FieldLink::canEdit() const {
    return field() && qobject_cast<db::Table*>(m_set.data());
}

bool FieldLink::editing() const {
    return m_set &&
           (m_set->State() == db::DataSetState::Edit || m_set->State() == db::DataSetState::Insert);
}

bool FieldLink::write(const std::function<void(db::Field&)>& change) {
    auto* table = qobject_cast<db::Table*>(m_set.data());
    db::Field* f = field();
    if (!table || !f)
        return false;
    // The control already shows what it writes; showing it again would move its cursor.
    m_writing = true;
    bool ok = true;
    try {
        if (!editing())
            table->Edit();
        change(*table->FindField(m_fieldName));
    } catch (const db::EngineError& e) {
        ok = false;
        m_writing = false;
        ShowError(e.message());
    }
    m_writing = false;
    return ok;
}

void FieldLink::cancel() {
    if (auto* table = qobject_cast<db::Table*>(m_set.data()))
        table->Cancel();
}

void FieldLink::setRecordEditor(std::function<bool()> update) {
    if (m_set)
        m_set->addRecordEditor(this, std::move(update));
}

void FieldLink::onFieldChanged(int index) {
    db::Field* f = field();
    if (index < 0 || !f || f->Index() == index)
        changed();
}

void FieldLink::changed() {
    if (!m_writing && m_refresh)
        m_refresh();
}

} // namespace ui
