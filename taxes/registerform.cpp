#include "taxes/registerform.h"

#include "db/dberror.h"
#include "db/session.h"
#include "db/table.h"
#include "service/service.h"
#include "taxes/logging.h"
#include "taxes/taxrules.h"
#include "ui/dbcontrols.h"
#include "ui/dbgrid.h"
#include "ui/dialogs.h"

namespace taxes {

RegisterForm::RegisterForm(QWidget* owner, const QString& objectName, const QString& caption,
                           int helpContext, const QString& tableName)
    : RegisterForm(owner, objectName, caption, helpContext, RegisterTable{tableName}) {}

RegisterForm::RegisterForm(QWidget* owner, const QString& objectName, const QString& caption,
                           int helpContext, const RegisterTable& table)
    : ui::Form(owner, objectName, caption, helpContext)
    , m_table(new db::Table(this)) {
    m_table->setObjectName(table.objectName.isEmpty() ? QStringLiteral("db") + table.tableName
                                                      : table.objectName);
    if (!table.sessionName.isEmpty()) {
        m_session = std::make_unique<db::Session>(table.sessionName);
        m_password = table.password;
        if (!m_password.isEmpty())
            m_session->AddPassword(m_password);
        m_table->setSession(m_session.get());
    }
    m_table->setDatabaseName(Service::DataDir);
    m_table->setTableName(table.tableName);
    try {
        if (!table.indexName.isEmpty())
            m_table->setIndexName(table.indexName);
        m_table->Open();
    } catch (const db::EngineError& e) {
        // The window still opens, empty, so that the user can leave it the usual way.
        qCWarning(lcTaxes) << "cannot open" << table.tableName << e.message();
        ui::ShowError(e.message());
    }
}

RegisterForm::~RegisterForm() {
    if (m_session && !m_password.isEmpty())
        m_session->RemovePassword(m_password);
}

db::Session& RegisterForm::session() const {
    return m_session ? *m_session : db::Session::defaultSession();
}

void RegisterForm::btnNyClick() {
    if (!m_table->Active())
        return;
    if (!postRecord())
        return;
    try {
        m_table->Append();
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return;
    }
    if (!m_boxes.isEmpty())
        m_boxes.first()->setFocus();
}

void RegisterForm::mnBackClick() {
    if (postRecord())
        close();
}

bool RegisterForm::postRecord() {
    for (ui::DBEdit* box : m_boxes)
        if (!box->commit())
            return false;
    try {
        return postPending(*m_table);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
        return false;
    }
}

void RegisterForm::deleteRecord(const std::function<QString(db::Table&)>& question) {
    if (!m_table->Active() || (m_table->IsEmpty() && m_table->State() != db::DataSetState::Insert))
        return; // nothing to delete, nothing to ask
    if (question && !ui::AskYesNo(question(*m_table)))
        return;
    try {
        deleteCurrent(*m_table);
    } catch (const db::EngineError& e) {
        ui::ShowError(e.message());
    }
}

void RegisterForm::FormActivate() {
    // Coming back from a message keeps the user in the box they were correcting.
    const bool inBox = m_boxes.contains(qobject_cast<ui::DBEdit*>(focusWidget()));
    if (m_grid && (!m_activated || !inBox))
        m_grid->setFocus();
    m_activated = true;
}

bool RegisterForm::FormCloseQuery() {
    return postRecord();
}

void RegisterForm::FormClose() {
    if (m_table->Active()) {
        try {
            cleanUp(*m_table);
        } catch (const db::EngineError& e) {
            ui::ShowError(e.message());
        }
        m_table->Close();
    }
    if (m_session && !m_password.isEmpty())
        m_session->RemovePassword(m_password);
}

} // namespace taxes
