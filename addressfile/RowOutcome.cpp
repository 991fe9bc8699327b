#include "addressfile/RowOutcome.h"

namespace tarnel {

QString RowStatusText(RowStatus status) {
    switch (status) {
    case RowStatus::Found:
        return QStringLiteral("trouvée");
    case RowStatus::ToCheck:
        return QStringLiteral("à vérifier");
    case RowStatus::NotFound:
        return QStringLiteral("introuvable");
    case RowStatus::Error:
        break;
    }
    return QStringLiteral("erreur");
}

RowOutcome RowFailure(RowStatus status, const QString& remark) {
    RowOutcome outcome;
    outcome.status = status;
    outcome.remark = remark;
    return outcome;
}

} // namespace tarnel
