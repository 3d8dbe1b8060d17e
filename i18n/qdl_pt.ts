<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- The Portuguese original's plural forms: every other text is its own source. -->
<TS version="2.1" language="pt_BR">
<context>
    <name>DemoDatabase</name>
    <message numerus="yes">
        <source>%1: %n linha(s)</source>
        <translation>
            <numerusform>%1: %n linha</numerusform>
            <numerusform>%1: %n linhas</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n botão(ões) de ambiente</source>
        <translation>
            <numerusform>%n botão de ambiente</numerusform>
            <numerusform>%n botões de ambiente</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n botão(ões) de mesa</source>
        <translation>
            <numerusform>%n botão de mesa</numerusform>
            <numerusform>%n botões de mesa</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>History</name>
    <message numerus="yes">
        <source>%n alteração(ões).</source>
        <translation>
            <numerusform>%n alteração.</numerusform>
            <numerusform>%n alterações.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n registro(s) do histórico anterior(es) a %1 removido(s).</source>
        <translation>
            <numerusform>%n registro do histórico anterior a %1 removido.</numerusform>
            <numerusform>%n registros do histórico anteriores a %1 removidos.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>TfrmConfMesa</name>
    <message numerus="yes">
        <source>A tela não mostra %n valor(es) gravado(s) (qdl-host --check os nomeia).</source>
        <translation>
            <numerusform>A tela não mostra %n valor gravado (qdl-host --check o nomeia).</numerusform>
            <numerusform>A tela não mostra %n valores gravados (qdl-host --check os nomeia).</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>LayoutCheck</name>
    <message numerus="yes">
        <source>%n botão(ões)</source>
        <translation>
            <numerusform>%n botão</numerusform>
            <numerusform>%n botões</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n configuração(ões)</source>
        <translation>
            <numerusform>%n configuração</numerusform>
            <numerusform>%n configurações</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n problema(s) encontrado(s).</source>
        <translation>
            <numerusform>%n problema encontrado.</numerusform>
            <numerusform>%n problemas encontrados.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>filial %1, configuração %2: não há linha em CONFTELA para a configuração de %n botão(ões).</source>
        <translation>
            <numerusform>filial %1, configuração %2: não há linha em CONFTELA para a configuração de %n botão.</numerusform>
            <numerusform>filial %1, configuração %2: não há linha em CONFTELA para a configuração de %n botões.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Branches</name>
    <message numerus="yes">
        <source>%1: %n filial(is).</source>
        <translation>
            <numerusform>%1: %n filial.</numerusform>
            <numerusform>%1: %n filiais.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n ambiente(s)</source>
        <translation>
            <numerusform>%n ambiente</numerusform>
            <numerusform>%n ambientes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n mesa(s)</source>
        <translation>
            <numerusform>%n mesa</numerusform>
            <numerusform>%n mesas</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n botão(ões) de ambiente</source>
        <translation>
            <numerusform>%n botão de ambiente</numerusform>
            <numerusform>%n botões de ambiente</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n botão(ões) de mesa</source>
        <translation>
            <numerusform>%n botão de mesa</numerusform>
            <numerusform>%n botões de mesa</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>LayoutCommand</name>
    <message numerus="yes">
        <source>%1: %n botão(ões) exportado(s) para %2.</source>
        <translation>
            <numerusform>%1: %n botão exportado para %2.</numerusform>
            <numerusform>%1: %n botões exportados para %2.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1: o leiaute de %2 (%3 UTC) tinha %n botão(ões).</source>
        <translation>
            <numerusform>%1: o leiaute de %2 (%3 UTC) tinha %n botão.</numerusform>
            <numerusform>%1: o leiaute de %2 (%3 UTC) tinha %n botões.</numerusform>
        </translation>
    </message>
</context>
</TS>
