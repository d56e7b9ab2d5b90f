#include "scripts/usernotices.h"

namespace vorendal {
namespace {

// "1 caractere" or "2 caracteres".
std::string characters(std::uint64_t count) {
    return groupedCount(count) + (count == 1 ? " caractere" : " caracteres");
}

} // namespace

std::string groupedCount(std::uint64_t n) {
    const std::string digits = std::to_string(n);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += '.';
        grouped += digits[i];
    }
    return grouped;
}

std::string replacedInTableNotice(std::uint64_t count) {
    if (count == 0)
        return {};
    // one line that the status bar shows whole
    return characters(count) + " sem equivalente no Windows-1252 " +
           (count == 1 ? "foi escrito" : "foram escritos") +
           " como \"?\"; vorendal-cli --firebird mant\xE9m todos.";
}

std::string replacedInPaneNotice(std::uint64_t count) {
    if (count == 0)
        return {};
    const bool one = count == 1;
    return characters(count) + (one ? " digitado ou colado" : " digitados ou colados") +
           " sem equivalente no Windows-1252, a codifica\xE7\xE3o do script, " +
           (one ? "ficou" : "ficaram") + " como \"?\".";
}

std::string paneFullLine(std::uint64_t appended, std::optional<std::uint64_t> total) {
    std::string line = "Foram acrescentados ao painel " + groupedCount(appended);
    line +=
        total ? " de " + groupedCount(*total) + " registros." : " registros; a tabela tem mais.";
    return line + " O comando vorendal-cli data TABELA -o ARQUIVO grava uma tabela de qualquer "
                  "tamanho.";
}

} // namespace vorendal
