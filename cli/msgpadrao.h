#pragma once

// The form's message table and the captions the layout gives its controls.
// Both are translated in place by Trad: captions in the "TfrmConfMesa"
// context, message texts in the "TMessages" context.

#include <QStringList>

// Lines "key|text", in stored order.
inline QStringList msgPadraoLines()
{
    return {
        QStringLiteral("FILIAL|Filial "),
        QStringLiteral("Operador|Operador "),
        QStringLiteral("Versao|Versão "),
        QStringLiteral("Config|Configuração : "),
        QStringLiteral("Deleta|Todas as mesas e ambientes selecionados serão excluídos. Confirma exclusão?"),
        QStringLiteral("Amb_deve|Ambiente da mesa deve ser informado."),
        QStringLiteral("Mesas|Configuração de Mesas"),
        QStringLiteral("Mesa_NCad|Não há mesas cadastradas para o ambiente informado."),
        QStringLiteral("Amb_NCad|Não há ambiente cadastrado."),
        QStringLiteral("Tecle|Clique em um dos botões desta tela para associar ambientes e suas mesas."),
        QStringLiteral("Limpar|Clique no botão ou nos botões desejados para limpar."),
        QStringLiteral("Nome|Clique no botão desejado para mudar seu nome."),
        QStringLiteral("CorBotao|Clique no botão ou nos botões desejados para mudar a cor de fundo."),
        QStringLiteral("CorTexto|Clique no botão ou nos botões desejados para mudar a cor do texto."),
        QStringLiteral("Mesa_Ind|Mesa pendente no sistema de restaurante, não pode ser apagada."),
        QStringLiteral("Mesa_pad|Mesa padrão não pode ser utilizada para configuração das mesas."),
        QStringLiteral("Loja_NCad|Não há lojas cadastradas para a filial informada."),
        QStringLiteral("Loja|Loja:"),
        QStringLiteral("Mesa_Cor|Cor do botão não pode ser alterada."),
        QStringLiteral("Conf_Mesa|Configuração de Mesa"),
        QStringLiteral("Sem_Acesso|Este papel não pode editar este leiaute:\npeça ao dono do esquema."),
    };
}
