#pragma once

#include <QString>

// Preparing a data directory: the tables, the shipped files and, on request, a demo company.
namespace db {

// Creates dir (when missing) with MRV.db holding every table and index, and copies the
// shipped data files into it. With demo, adds a small demo company. Fails when dir already
// holds a database.
bool createDataDir(const QString& dir, bool demo, QString* error);

// Does what createDataDir does when dir does not exist or holds no MRV.db; otherwise leaves
// it alone and succeeds. Suitable for Service::setDataDirPreparer.
bool prepareDataDir(const QString& dir, bool demo, QString* error);

// Adds the demo company to an existing, empty database in dir (customers, products, VAT
// rates, taxes, free texts, a few stored documents) and its settings files.
bool fillDemo(const QString& dir, QString* error);

} // namespace db
