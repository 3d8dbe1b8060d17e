<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pt_BR">
<context>
    <name>TfrmConfMesa</name>
    <message>
        <source>Quadrel - Configuração Tela de Mesa</source>
        <translation>Quadrel - Table Screen Setup</translation>
    </message>
    <message>
        <source>lblconfig</source>
        <translation>lblconfig</translation>
    </message>
    <message>
        <source>pág.</source>
        <translation>pg.</translation>
    </message>
    <message>
        <source>Qdl00005</source>
        <translation>Qdl00005</translation>
    </message>
    <message>
        <source>F3-Mudar Nome</source>
        <translation>F3-Rename</translation>
    </message>
    <message>
        <source>F5-Cor Botão</source>
        <translation>F5-Button Colour</translation>
    </message>
    <message>
        <source>F6-Cor Fonte</source>
        <translation>F6-Text Colour</translation>
    </message>
    <message>
        <source>F7-Limpar Botão</source>
        <translation>F7-Clear Button</translation>
    </message>
    <message>
        <source>Ctrl+Enter
&#13;Confirmar</source>
        <translation>Ctrl+Enter
&#13;Confirm</translation>
    </message>
    <message>
        <source>F2-Cancelar</source>
        <translation>F2-Cancel</translation>
    </message>
    <message>
        <source>Esc-Sair</source>
        <translation>Esc-Exit</translation>
    </message>
    <message>
        <source>A-</source>
        <translation>A-</translation>
    </message>
    <message>
        <source>B-</source>
        <translation>B-</translation>
    </message>
</context>
<context>
    <name>TMessages</name>
    <message>
        <source>Filial </source>
        <translation>Branch </translation>
    </message>
    <message>
        <source>Operador </source>
        <translation>Operator </translation>
    </message>
    <message>
        <source>Versão </source>
        <translation>Version </translation>
    </message>
    <message>
        <source>Configuração : </source>
        <translation>Configuration : </translation>
    </message>
    <message>
        <source>Todas as mesas e ambientes selecionados serão excluídos. Confirma exclusão?</source>
        <translation>All selected tables and areas will be deleted. Confirm deletion?</translation>
    </message>
    <message>
        <source>Ambiente da mesa deve ser informado.</source>
        <translation>The table&apos;s area must be selected first.</translation>
    </message>
    <message>
        <source>Configuração de Mesas</source>
        <translation>Tables Setup</translation>
    </message>
    <message>
        <source>Não há mesas cadastradas para o ambiente informado.</source>
        <translation>There are no tables registered for the selected area.</translation>
    </message>
    <message>
        <source>Não há ambiente cadastrado.</source>
        <translation>There is no area registered.</translation>
    </message>
    <message>
        <source>Clique em um dos botões desta tela para associar ambientes e suas mesas.</source>
        <translation>Tap one of the buttons on this screen to assign areas and their tables.</translation>
    </message>
    <message>
        <source>Clique no botão ou nos botões desejados para limpar.</source>
        <translation>Tap the button or buttons you want to clear.</translation>
    </message>
    <message>
        <source>Clique no botão desejado para mudar seu nome.</source>
        <translation>Tap the button you want to rename.</translation>
    </message>
    <message>
        <source>Clique no botão ou nos botões desejados para mudar a cor de fundo.</source>
        <translation>Tap the button or buttons whose background colour you want to change.</translation>
    </message>
    <message>
        <source>Clique no botão ou nos botões desejados para mudar a cor do texto.</source>
        <translation>Tap the button or buttons whose text colour you want to change.</translation>
    </message>
    <message>
        <source>Mesa pendente no sistema de restaurante, não pode ser apagada.</source>
        <translation>This table is still open in the restaurant system and cannot be deleted.</translation>
    </message>
    <message>
        <source>Mesa padrão não pode ser utilizada para configuração das mesas.</source>
        <translation>The default table cannot be used in the table setup.</translation>
    </message>
    <message>
        <source>Não há lojas cadastradas para a filial informada.</source>
        <translation>There are no stores registered for this branch.</translation>
    </message>
    <message>
        <source>Loja:</source>
        <translation>Store:</translation>
    </message>
    <message>
        <source>Cor do botão não pode ser alterada.</source>
        <translation>The button colour cannot be changed.</translation>
    </message>
    <message>
        <source>Configuração de Mesa</source>
        <translation>Table Setup</translation>
    </message>
</context>
<context>
    <name>MensagemMetodo</name>
    <message>
        <source>O serviço %1 (%2) falhou.
%3
Argumentos: %4</source>
        <translation>The service %1 (%2) failed.
%3
Arguments: %4</translation>
    </message>
</context>
<context>
    <name>TColorChoiceDialog</name>
    <message>
        <source>Preto</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>Grafite</source>
        <translation>Graphite</translation>
    </message>
    <message>
        <source>Cinza</source>
        <translation>Grey</translation>
    </message>
    <message>
        <source>Prata</source>
        <translation>Silver</translation>
    </message>
    <message>
        <source>Branco</source>
        <translation>White</translation>
    </message>
    <message>
        <source>Cinza-azulado (botão livre)</source>
        <translation>Blue grey (free button)</translation>
    </message>
    <message>
        <source>Vinho</source>
        <translation>Wine</translation>
    </message>
    <message>
        <source>Vermelho</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>Laranja</source>
        <translation>Orange</translation>
    </message>
    <message>
        <source>Âmbar</source>
        <translation>Amber</translation>
    </message>
    <message>
        <source>Amarelo</source>
        <translation>Yellow</translation>
    </message>
    <message>
        <source>Marrom</source>
        <translation>Brown</translation>
    </message>
    <message>
        <source>Verde-escuro</source>
        <translation>Dark green</translation>
    </message>
    <message>
        <source>Verde</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>Verde-limão</source>
        <translation>Lime green</translation>
    </message>
    <message>
        <source>Verde-claro</source>
        <translation>Light green</translation>
    </message>
    <message>
        <source>Azul-petróleo</source>
        <translation>Teal</translation>
    </message>
    <message>
        <source>Ciano</source>
        <translation>Cyan</translation>
    </message>
    <message>
        <source>Azul-marinho</source>
        <translation>Navy blue</translation>
    </message>
    <message>
        <source>Azul</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>Azul-celeste</source>
        <translation>Sky blue</translation>
    </message>
    <message>
        <source>Azul-claro</source>
        <translation>Light blue</translation>
    </message>
    <message>
        <source>Roxo</source>
        <translation>Purple</translation>
    </message>
    <message>
        <source>Violeta</source>
        <translation>Violet</translation>
    </message>
    <message>
        <source>Magenta</source>
        <translation>Magenta</translation>
    </message>
    <message>
        <source>Rosa</source>
        <translation>Pink</translation>
    </message>
    <message>
        <source>Rosa-claro</source>
        <translation>Light pink</translation>
    </message>
    <message>
        <source>Creme</source>
        <translation>Cream</translation>
    </message>
    <message>
        <source>Pêssego</source>
        <translation>Peach</translation>
    </message>
    <message>
        <source>Lavanda</source>
        <translation>Lavender</translation>
    </message>
    <message>
        <source>Escolha uma cor</source>
        <translation>Choose a colour</translation>
    </message>
    <message>
        <source>Como fundo do botão</source>
        <translation>As button background</translation>
    </message>
    <message>
        <source>Mesa 01</source>
        <translation>Table 01</translation>
    </message>
    <message>
        <source>Como cor do texto</source>
        <translation>As text colour</translation>
    </message>
    <message>
        <source>Mais cores…</source>
        <translation>More colours…</translation>
    </message>
    <message>
        <source>Cancelar</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cor personalizada</source>
        <translation>Custom colour</translation>
    </message>
    <message>
        <source>RGB %1, %2, %3</source>
        <translation>RGB %1, %2, %3</translation>
    </message>
    <message>
        <source>Mais cores</source>
        <translation>More colours</translation>
    </message>
</context>
<context>
    <name>TKeyboardDialog</name>
    <message>
        <source>Prévia:</source>
        <translation>Preview:</translation>
    </message>
    <message>
        <source>Apagar o último caractere</source>
        <translation>Delete the last character</translation>
    </message>
    <message>
        <source>Maiúsculas: um toque para a próxima letra, dois para travar</source>
        <translation>Capitals: tap once for the next letter, twice to lock</translation>
    </message>
    <message>
        <source>espaço</source>
        <translation>space</translation>
    </message>
    <message>
        <source>Limpar</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Cancelar</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Digite o nome do botão</source>
        <translation>Type the button&apos;s name</translation>
    </message>
</context>
<context>
    <name>TMessageDialog</name>
    <message>
        <source>Informação</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Confirmação</source>
        <translation>Confirmation</translation>
    </message>
    <message>
        <source>Erro</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Código %1</source>
        <translation>Code %1</translation>
    </message>
    <message>
        <source>Não</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Sim</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TPickListDialog</name>
    <message>
        <source>Escolha um item da lista</source>
        <translation>Choose an item from the list</translation>
    </message>
    <message>
        <source>Filtrar:</source>
        <translation>Filter:</translation>
    </message>
    <message>
        <source>Digite para filtrar</source>
        <translation>Type to filter</translation>
    </message>
    <message>
        <source>Limpar</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Teclado</source>
        <translation>Keyboard</translation>
    </message>
    <message>
        <source>Página anterior</source>
        <translation>Previous page</translation>
    </message>
    <message>
        <source>Próxima página</source>
        <translation>Next page</translation>
    </message>
    <message>
        <source>Cancelar</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Filtrar a lista</source>
        <translation>Filter the list</translation>
    </message>
    <message>
        <source>Nenhum item</source>
        <translation>No items</translation>
    </message>
    <message>
        <source>1 item</source>
        <translation>1 item</translation>
    </message>
    <message>
        <source>%1 itens</source>
        <translation>%1 items</translation>
    </message>
    <message>
        <source>%1 de %2 itens</source>
        <translation>%1 of %2 items</translation>
    </message>
    <message>
        <source>Não há itens para escolher.</source>
        <translation>There are no items to choose from.</translation>
    </message>
    <message>
        <source>Nenhum item corresponde ao filtro.</source>
        <translation>No item matches the filter.</translation>
    </message>
</context>
</TS>
