<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="pt_BR">
<context>
    <name>TfrmConfMesa</name>
    <message>
        <source>A ligação com o banco de dados caiu antes da resposta: esta alteração pode ter sido gravada. A tela mostra agora o que está gravado.</source>
        <translation>The link to the database broke before it answered: this change may have been stored. The screen now shows what is stored.</translation>
    </message>
    <message>
        <source>cor do texto</source>
        <translation>text colour</translation>
    </message>
    <message>
        <source>cor de fundo</source>
        <translation>background colour</translation>
    </message>
    <message>
        <source>botão de ambiente %1</source>
        <translation>area button %1</translation>
    </message>
    <message>
        <source>botão de mesa %1, página %2 do botão de ambiente %3</source>
        <translation>table button %1, page %2 of area button %3</translation>
    </message>
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
    <message>
        <source>&apos;%1&apos; não é uma cor válida.</source>
        <translation>&apos;%1&apos; is not a valid colour.</translation>
    </message>
    <message>
        <source>%1 não está disponível neste host.</source>
        <translation>%1 is not available on this host.</translation>
    </message>
    <message>
        <source>Este botão foi mudado em outro terminal; a tela mostra agora o que está gravado.</source>
        <translation>This button was changed on another terminal; the screen now shows what is stored.</translation>
    </message>
    <message>
        <source>Página %1</source>
        <translation>Page %1</translation>
    </message>
    <message>
        <source>Cor escolhida</source>
        <translation>Chosen colour</translation>
    </message>
    <message>
        <source>nova cor de fundo pendente</source>
        <translation>new background colour pending</translation>
    </message>
    <message>
        <source>nova cor do texto pendente</source>
        <translation>new text colour pending</translation>
    </message>
    <message>
        <source>limpeza pendente</source>
        <translation>clear pending</translation>
    </message>
    <message>
        <source>Botão de ambiente %1, livre</source>
        <translation>Area button %1, free</translation>
    </message>
    <message>
        <source>Botão de ambiente %1</source>
        <translation>Area button %1</translation>
    </message>
    <message>
        <source>%1, botão de ambiente %2</source>
        <translation>%1, area button %2</translation>
    </message>
    <message>
        <source>selecionado</source>
        <translation>selected</translation>
    </message>
    <message>
        <source>Botão livre: não há o que mudar.</source>
        <translation>Free button: nothing to change.</translation>
    </message>
    <message>
        <source>Escolhe um ambiente para este botão.</source>
        <translation>Chooses an area for this button.</translation>
    </message>
    <message>
        <source>Marca o ambiente e suas mesas para serem limpos ao confirmar.</source>
        <translation>Marks the area and its tables to be cleared on confirming.</translation>
    </message>
    <message>
        <source>Marca o botão para a cor de fundo escolhida.</source>
        <translation>Marks the button for the chosen background colour.</translation>
    </message>
    <message>
        <source>Marca o botão para a cor do texto escolhida.</source>
        <translation>Marks the button for the chosen text colour.</translation>
    </message>
    <message>
        <source>Abre o teclado para mudar o nome do botão.</source>
        <translation>Opens the keyboard to rename the button.</translation>
    </message>
    <message>
        <source>Seleciona este ambiente e mostra suas mesas.</source>
        <translation>Selects this area and shows its tables.</translation>
    </message>
    <message>
        <source>Marca do botão de ambiente %1</source>
        <translation>Marker of area button %1</translation>
    </message>
    <message>
        <source>Botão de mesa %1, livre</source>
        <translation>Table button %1, free</translation>
    </message>
    <message>
        <source>Botão de mesa %1</source>
        <translation>Table button %1</translation>
    </message>
    <message>
        <source>página %1</source>
        <translation>page %1</translation>
    </message>
    <message>
        <source>Escolhe uma mesa do ambiente selecionado para este botão.</source>
        <translation>Chooses a table of the selected area for this button.</translation>
    </message>
    <message>
        <source>Marca a mesa para ser limpa ao confirmar.</source>
        <translation>Marks the table to be cleared on confirming.</translation>
    </message>
    <message>
        <source>A cor de fundo de uma mesa não pode ser mudada.</source>
        <translation>A table's background colour cannot be changed.</translation>
    </message>
    <message>
        <source>Mesa colocada. Para mudar o nome, a cor do texto ou limpar, escolha antes o comando.</source>
        <translation>Table placed. To rename it, change its text colour or clear it, choose the command first.</translation>
    </message>
    <message>
        <source>Mudar nome</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>Tecla F3: o próximo botão escolhido recebe um nome novo.</source>
        <translation>Key F3: the next button chosen gets a new name.</translation>
    </message>
    <message>
        <source>Cor do botão</source>
        <translation>Button colour</translation>
    </message>
    <message>
        <source>Tecla F5: escolhe a cor de fundo dos botões escolhidos em seguida.</source>
        <translation>Key F5: chooses the background colour of the buttons chosen next.</translation>
    </message>
    <message>
        <source>Cor da fonte</source>
        <translation>Text colour</translation>
    </message>
    <message>
        <source>Tecla F6: escolhe a cor do texto dos botões escolhidos em seguida.</source>
        <translation>Key F6: chooses the text colour of the buttons chosen next.</translation>
    </message>
    <message>
        <source>Limpar botão</source>
        <translation>Clear button</translation>
    </message>
    <message>
        <source>Tecla F7: os botões escolhidos em seguida são limpos ao confirmar.</source>
        <translation>Key F7: the buttons chosen next are cleared on confirming.</translation>
    </message>
    <message>
        <source>Confirmar</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Teclas Ctrl+Enter: grava as mudanças pendentes (%1).</source>
        <translation>Keys Ctrl+Enter: writes the pending changes (%1).</translation>
    </message>
    <message>
        <source>Cancelar</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Tecla F2: descarta as mudanças pendentes e volta ao início.</source>
        <translation>Key F2: drops the pending changes and goes back to the start.</translation>
    </message>
    <message>
        <source>Sair</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Tecla Esc: fecha a tela; mudanças não confirmadas são descartadas.</source>
        <translation>Key Esc: closes the screen; changes not confirmed are dropped.</translation>
    </message>
    <message>
        <source>Página anterior</source>
        <translation>Previous page</translation>
    </message>
    <message>
        <source>Tecla A: mostra a página %1 das mesas.</source>
        <translation>Key A: shows page %1 of the tables.</translation>
    </message>
    <message>
        <source>Próxima página</source>
        <translation>Next page</translation>
    </message>
    <message>
        <source>Tecla B: mostra a página %1 das mesas.</source>
        <translation>Key B: shows page %1 of the tables.</translation>
    </message>
    <message>
        <source>%1: não há esse botão na tela</source>
        <translation>%1: the screen has no such button</translation>
    </message>
    <message numerus="yes">
        <source>A tela não mostra %n valor(es) gravado(s) (qdl-host --check os nomeia).</source>
        <translation>
            <numerusform>The screen leaves out %n stored value (qdl-host --check names it).</numerusform>
            <numerusform>The screen leaves out %n stored values (qdl-host --check names them).</numerusform>
        </translation>
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
    <message>
        <source>Este papel não pode editar este leiaute:
peça ao dono do esquema.</source>
        <translation>This role may not edit this layout:
ask the schema's owner.</translation>
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
    <message>
        <source>Maiúsculas</source>
        <translation>Capitals</translation>
    </message>
    <message>
        <source>Prévia do botão</source>
        <translation>Button preview</translation>
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
    <message>
        <source>Mesa</source>
        <translation>Table</translation>
    </message>
    <message>
        <source>Nome</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Código</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>Loja</source>
        <translation>Store</translation>
    </message>
    <message>
        <source>Configuração</source>
        <translation>Configuration</translation>
    </message>
    <message>
        <source>Filial</source>
        <translation>Branch</translation>
    </message>
    <message>
        <source>Filtro da lista</source>
        <translation>List filter</translation>
    </message>
    <message>
        <source>Itens da lista</source>
        <translation>List items</translation>
    </message>
</context>
<context>
    <name>Connection</name>
    <message>
        <source>O driver %1 do Qt SQL não está instalado.</source>
        <translation>The Qt SQL driver %1 is not installed.</translation>
    </message>
    <message>
        <source>Cadeia de conexão sem o caminho do banco SQLite: &quot;%1&quot;</source>
        <translation>Connection string without the SQLite database path: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Banco de dados não encontrado: %1</source>
        <translation>Database not found: %1</translation>
    </message>
    <message>
        <source>Cadeia de conexão PostgreSQL inválida: %1</source>
        <translation>Invalid PostgreSQL connection string: %1</translation>
    </message>
    <message>
        <source>Cadeia de conexão não reconhecida: &quot;%1&quot; (use sqlite:CAMINHO ou postgresql://usuario@servidor:porta/banco)</source>
        <translation>Unrecognised connection string: &quot;%1&quot; (use sqlite:PATH or postgresql://user@host:port/dbname)</translation>
    </message>
    <message>
        <source>Erro ao preparar a sessão do banco de dados (PRAGMA journal_mode = WAL)</source>
        <translation>Could not prepare the database session (PRAGMA journal_mode = WAL)</translation>
    </message>
    <message>
        <source>Erro ao preparar a sessão do banco de dados (%1)</source>
        <translation>Could not prepare the database session (%1)</translation>
    </message>
    <message>
        <source>
Mensagem do banco de dados: </source>
        <translation>
Database message: </translation>
    </message>
    <message>
        <source> (código %1)</source>
        <translation> (code %1)</translation>
    </message>
    <message>
        <source>Erro inesperado no acesso ao banco de dados: </source>
        <translation>Unexpected error accessing the database: </translation>
    </message>
    <message>
        <source>O banco de dados precisa estar aberto para rodar o script.</source>
        <translation>The database must be open to run the script.</translation>
    </message>
</context>
<context>
    <name>DemoDatabase</name>
    <message>
        <source>Não foi possível criar o arquivo %1: %2</source>
        <translation>Could not create the file %1: %2</translation>
    </message>
    <message>
        <source>Script SQL embutido não encontrado: %1</source>
        <translation>Embedded SQL script not found: %1</translation>
    </message>
    <message>
        <source>Banco de dados não suportado pelo driver %1.</source>
        <translation>Database not supported by driver %1.</translation>
    </message>
    <message>
        <source>O banco de dados precisa estar aberto para criar as tabelas.</source>
        <translation>The database must be open to create the tables.</translation>
    </message>
    <message>
        <source>O banco de dados já contém as tabelas %1; nada foi criado.</source>
        <translation>The database already holds the tables %1; nothing was created.</translation>
    </message>
    <message>
        <source>Erro ao iniciar a transação</source>
        <translation>Could not start the transaction</translation>
    </message>
    <message>
        <source>Erro ao criar o banco de dados</source>
        <translation>Could not create the database</translation>
    </message>
    <message>
        <source>Erro ao confirmar a criação das tabelas</source>
        <translation>Could not commit the creation of the tables</translation>
    </message>
    <message>
        <source>Cadeia de conexão sem o caminho do banco SQLite: &quot;%1&quot;</source>
        <translation>Connection string without the SQLite database path: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Não foi possível criar a pasta %1</source>
        <translation>Could not create the folder %1</translation>
    </message>
    <message>
        <source>Não foi possível abrir o banco de dados</source>
        <translation>Could not open the database</translation>
    </message>
    <message>
        <source>Erro ao descrever o banco de dados</source>
        <translation>Could not describe the database</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n linha(s)</source>
        <translation>
            <numerusform>%1: %n row</numerusform>
            <numerusform>%1: %n rows</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n botão(ões) de ambiente</source>
        <translation>
            <numerusform>%n area button</numerusform>
            <numerusform>%n area buttons</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n botão(ões) de mesa</source>
        <translation>
            <numerusform>%n table button</numerusform>
            <numerusform>%n table buttons</numerusform>
        </translation>
    </message>
    <message>
        <source>Ambientes posicionados em %1: %2</source>
        <translation>Areas placed in %1: %2</translation>
    </message>
    <message>
        <source>filial %1, configuração %2</source>
        <translation>branch %1, configuration %2</translation>
    </message>
    <message>
        <source>Nenhum ambiente posicionado.</source>
        <translation>No area placed.</translation>
    </message>
    <message>
        <source>Configurações sem botões: %1</source>
        <translation>Configurations without buttons: %1</translation>
    </message>
</context>
<context>
    <name>EQdlError</name>
    <message>
        <source>O serviço %1 falhou (código %2).</source>
        <translation>The service %1 failed (code %2).</translation>
    </message>
    <message>
        <source>Erro inesperado.</source>
        <translation>Unexpected error.</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>(vazio)</source>
        <translation>(empty)</translation>
    </message>
    <message>
        <source>legenda</source>
        <translation>caption</translation>
    </message>
    <message>
        <source>cor do texto</source>
        <translation>text colour</translation>
    </message>
    <message>
        <source>cor do fundo</source>
        <translation>background colour</translation>
    </message>
    <message>
        <source>código</source>
        <translation>code</translation>
    </message>
    <message>
        <source>mensagem</source>
        <translation>message</translation>
    </message>
    <message>
        <source>botão</source>
        <translation>button</translation>
    </message>
    <message>
        <source>página</source>
        <translation>page</translation>
    </message>
    <message>
        <source>O banco de dados não tem as tabelas da configuração de mesas.</source>
        <translation>The database does not hold the table configuration&apos;s tables.</translation>
    </message>
    <message>
        <source>O banco de dados não tem o histórico do leiaute (esquema da versão %1).</source>
        <translation>The database does not keep the layout&apos;s history (schema version %1).</translation>
    </message>
    <message>
        <source>--since HORA: %1 não é uma hora local ISO 8601, como 2026-12-07T14:30 ou 2026-12-07 14:30:00.</source>
        <translation>--since TIME: %1 is not an ISO 8601 local time, such as 2026-12-07T14:30 or 2026-12-07 14:30:00.</translation>
    </message>
    <message>
        <source>Erro ao ler o histórico do leiaute</source>
        <translation>Error reading the layout&apos;s history</translation>
    </message>
    <message>
        <source>incluiu</source>
        <translation>added</translation>
    </message>
    <message>
        <source>alterou</source>
        <translation>changed</translation>
    </message>
    <message>
        <source>excluiu</source>
        <translation>removed</translation>
    </message>
    <message>
        <source>filial %1, configuração %2: %3</source>
        <translation>branch %1, configuration %2: %3</translation>
    </message>
    <message>
        <source>filial %1</source>
        <translation>branch %1</translation>
    </message>
    <message>
        <source>configuração %1</source>
        <translation>configuration %1</translation>
    </message>
    <message>
        <source>desde %1</source>
        <translation>since %1</translation>
    </message>
    <message>
        <source>Não foi possível ler o histórico do leiaute: %1</source>
        <translation>Could not read the layout&apos;s history: %1</translation>
    </message>
    <message>
        <source>--prune-history ANTES: %1 não é uma hora local ISO 8601, como 2025-12-07 ou 2025-12-07T14:30.</source>
        <translation>--prune-history BEFORE: %1 is not an ISO 8601 local time, such as 2025-12-07 or 2025-12-07T14:30.</translation>
    </message>
    <message>
        <source>Erro ao remover registros do histórico do leiaute</source>
        <translation>Error removing records from the layout&apos;s history</translation>
    </message>
    <message>
        <source>Não foi possível remover registros do histórico do leiaute: %1</source>
        <translation>Could not remove records from the layout&apos;s history: %1</translation>
    </message>
    <message>
        <source>Histórico do leiaute de %1%2, a mais recente primeiro:</source>
        <translation>Layout history of %1%2, newest first:</translation>
    </message>
    <message numerus="yes">
        <source>%n alteração(ões).</source>
        <translation>
            <numerusform>%n change.</numerusform>
            <numerusform>%n changes.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n registro(s) do histórico anterior(es) a %1 removido(s).</source>
        <translation>
            <numerusform>%n history record before %1 removed.</numerusform>
            <numerusform>%n history records before %1 removed.</numerusform>
        </translation>
    </message>
    <message>
        <source>Erro ao ler o dono do esquema</source>
        <translation>Could not read the schema&apos;s owner</translation>
    </message>
    <message>
        <source>Só o dono do esquema (%1) pode limpar o histórico; conecte-se como %1.</source>
        <translation>Only the schema&apos;s owner (%1) may prune the history; connect as %1.</translation>
    </message>
</context>
<context>
    <name>LayoutCheck</name>
    <message>
        <source>Erro ao ler a tabela %1</source>
        <translation>Could not read the table %1</translation>
    </message>
    <message>
        <source>Erro ao ler o leiaute (%1)</source>
        <translation>Could not read the layout (%1)</translation>
    </message>
    <message>
        <source>tipo de botão desconhecido %1</source>
        <translation>unknown button type %1</translation>
    </message>
    <message>
        <source>filial %1, configuração %2: %3: %4.</source>
        <translation>branch %1, configuration %2: %3: %4.</translation>
    </message>
    <message>
        <source>o número do botão não é um dos botões de ambiente 01 a 18</source>
        <translation>the button number is not one of the area buttons 01 to 18</translation>
    </message>
    <message>
        <source>página %1 em vez de &quot;1&quot;</source>
        <translation>page %1 instead of &quot;1&quot;</translation>
    </message>
    <message>
        <source>colunas do botão pai %1/%2/%3 em vez de &quot;0&quot;</source>
        <translation>parent button columns %1/%2/%3 instead of &quot;0&quot;</translation>
    </message>
    <message>
        <source>o ambiente %1 não existe na filial</source>
        <translation>the area %1 does not exist in the branch</translation>
    </message>
    <message>
        <source>o número do botão não é um dos botões de mesa 01 a 48</source>
        <translation>the button number is not one of the table buttons 01 to 48</translation>
    </message>
    <message>
        <source>a página %1 não é um número decimal positivo sem zeros à esquerda</source>
        <translation>the page %1 is not a positive decimal number without leading zeros</translation>
    </message>
    <message>
        <source>colunas do botão pai %1/%2/%3 não nomeiam um botão de ambiente</source>
        <translation>parent button columns %1/%2/%3 do not name an area button</translation>
    </message>
    <message>
        <source>a mesa %1 não existe na filial</source>
        <translation>the table %1 does not exist in the branch</translation>
    </message>
    <message>
        <source>o botão de ambiente %1 não existe</source>
        <translation>the area button %1 does not exist</translation>
    </message>
    <message>
        <source>a mesa é do ambiente %1, e o botão %2 é do ambiente %3</source>
        <translation>the table belongs to area %1, and button %2 belongs to area %3</translation>
    </message>
    <message>
        <source>filial %1, configuração %2: %3 %4 está em %5 botões: %6.</source>
        <translation>branch %1, configuration %2: %3 %4 is on %5 buttons: %6.</translation>
    </message>
    <message>
        <source>o ambiente</source>
        <translation>the area</translation>
    </message>
    <message>
        <source>a mesa</source>
        <translation>the table</translation>
    </message>
    <message>
        <source>Não foi possível abrir o banco de dados</source>
        <translation>Could not open the database</translation>
    </message>
    <message>
        <source>Leiaute de %1: %2 em %3.</source>
        <translation>Layout of %1: %2 in %3.</translation>
    </message>
    <message>
        <source>Leiaute de %1, filial %2: %3 em %4.</source>
        <translation>Layout of %1, branch %2: %3 in %4.</translation>
    </message>
    <message numerus="yes">
        <source>%n botão(ões)</source>
        <translation>
            <numerusform>%n button</numerusform>
            <numerusform>%n buttons</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n configuração(ões)</source>
        <translation>
            <numerusform>%n configuration</numerusform>
            <numerusform>%n configurations</numerusform>
        </translation>
    </message>
    <message>
        <source>Nenhum problema encontrado.</source>
        <translation>No problems found.</translation>
    </message>
    <message numerus="yes">
        <source>%n problema(s) encontrado(s).</source>
        <translation>
            <numerusform>%n problem found.</numerusform>
            <numerusform>%n problems found.</numerusform>
        </translation>
    </message>
    <message>
        <source>Não foi possível verificar o leiaute: %1</source>
        <translation>Could not check the layout: %1</translation>
    </message>
    <message>
        <source>cor do texto (NRCOLORTEXT)</source>
        <translation>text colour (NRCOLORTEXT)</translation>
    </message>
    <message>
        <source>cor do fundo (NRCOLORBACK)</source>
        <translation>background colour (NRCOLORBACK)</translation>
    </message>
    <message>
        <source>%1 %2 fora do intervalo de 0 a %3</source>
        <translation>%1 %2 outside the range 0 to %3</translation>
    </message>
    <message numerus="yes">
        <source>filial %1, configuração %2: não há linha em CONFTELA para a configuração de %n botão(ões).</source>
        <translation>
            <numerusform>branch %1, configuration %2: no CONFTELA row for the configuration of %n button.</numerusform>
            <numerusform>branch %1, configuration %2: no CONFTELA row for the configuration of %n buttons.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>SavedTable</name>
    <message>
        <source>Arquivo %1 inválido (linha %2): %3</source>
        <translation>Invalid file %1 (line %2): %3</translation>
    </message>
    <message>
        <source>de dados</source>
        <translation>of data</translation>
    </message>
    <message>
        <source>declarações DTD não são aceitas</source>
        <translation>DTD declarations are not accepted</translation>
    </message>
    <message>
        <source>o elemento raiz deve ser DATAPACKET</source>
        <translation>the root element must be DATAPACKET</translation>
    </message>
    <message>
        <source>campo sem nome</source>
        <translation>field without a name</translation>
    </message>
    <message>
        <source>tipo de campo desconhecido: %1</source>
        <translation>unknown field type: %1</translation>
    </message>
    <message>
        <source>largura inválida no campo %1</source>
        <translation>invalid width in field %1</translation>
    </message>
    <message>
        <source>ROWDATA antes de METADATA/FIELDS</source>
        <translation>ROWDATA before METADATA/FIELDS</translation>
    </message>
    <message>
        <source>valor inválido &quot;%1&quot; no campo %2</source>
        <translation>invalid value &quot;%1&quot; in field %2</translation>
    </message>
    <message>
        <source>Não foi possível ler o arquivo %1: %2</source>
        <translation>Could not read the file %1: %2</translation>
    </message>
    <message>
        <source>Arquivo %1 grande demais.</source>
        <translation>File %1 is too large.</translation>
    </message>
    <message>
        <source>campo %1 repetido</source>
        <translation>field %1 repeated</translation>
    </message>
</context>
<context>
    <name>TADOConnection</name>
    <message>
        <source>o servidor não respondeu em %1 s</source>
        <translation>the server did not answer within %1 s</translation>
    </message>
    <message>
        <source>Não foi possível abrir o banco de dados</source>
        <translation>Could not open the database</translation>
    </message>
    <message>
        <source>A conexão com o banco de dados não está aberta.</source>
        <translation>The database connection is not open.</translation>
    </message>
    <message>
        <source>O driver %1 não é um dos bancos de dados suportados.</source>
        <translation>The driver %1 is not one of the supported databases.</translation>
    </message>
    <message>
        <source>Não há conexão aberta com o banco de dados para iniciar a transação.</source>
        <translation>There is no open database connection to start the transaction.</translation>
    </message>
    <message>
        <source>Erro ao iniciar a transação</source>
        <translation>Could not start the transaction</translation>
    </message>
    <message>
        <source>Erro ao confirmar a transação</source>
        <translation>Could not commit the transaction</translation>
    </message>
    <message>
        <source>Erro ao desfazer a transação</source>
        <translation>Could not roll back the transaction</translation>
    </message>
    <message>
        <source>Erro ao ler a versão do banco de dados</source>
        <translation>Could not read the database version</translation>
    </message>
    <message>
        <source>Erro ao assinar os avisos do banco de dados</source>
        <translation>Could not subscribe to the database notifications</translation>
    </message>
    <message>
        <source>A gravação não foi confirmada pelo servidor de reserva</source>
        <translation>The standby server did not confirm the write</translation>
    </message>
</context>
<context>
    <name>TADOQuery</name>
    <message>
        <source>a conexão com o banco de dados está ocupada com outro comando</source>
        <translation>the database connection is busy with another statement</translation>
    </message>
    <message>
        <source>O comando está vazio.</source>
        <translation>The statement is empty.</translation>
    </message>
    <message>
        <source>a conexão com o banco de dados foi fechada</source>
        <translation>the database connection was closed</translation>
    </message>
    <message>
        <source>O comando não tem o parâmetro %1</source>
        <translation>The statement has no parameter %1</translation>
    </message>
    <message>
        <source>Não foi possível usar a biblioteca do PostgreSQL (libpq)</source>
        <translation>Could not use the PostgreSQL library (libpq)</translation>
    </message>
</context>
<context>
    <name>TClientDataSet</name>
    <message>
        <source>&apos;%1&apos; não é um valor inteiro válido para o campo %2.</source>
        <translation>&apos;%1&apos; is not a valid integer for the field %2.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; não é um número válido para o campo %2.</source>
        <translation>&apos;%1&apos; is not a valid number for the field %2.</translation>
    </message>
    <message>
        <source>Conjunto de dados %1 fechado.</source>
        <translation>Dataset %1 is closed.</translation>
    </message>
    <message>
        <source>Conjunto de dados %1 sem registro corrente.</source>
        <translation>Dataset %1 has no current record.</translation>
    </message>
    <message>
        <source>Campo %1 não encontrado em %2.</source>
        <translation>Field %1 not found in %2.</translation>
    </message>
    <message>
        <source>Campo &apos;%1&apos; não encontrado em %2.</source>
        <translation>Field &apos;%1&apos; not found in %2.</translation>
    </message>
    <message>
        <source>conjunto de dados</source>
        <translation>dataset</translation>
    </message>
</context>
<context>
    <name>TrdmConfMesa</name>
    <message>
        <source>Erro ao ler a versão do esquema</source>
        <translation>Could not read the schema version</translation>
    </message>
    <message>
        <source>ler os botões de ambiente</source>
        <translation>read the area buttons</translation>
    </message>
    <message>
        <source>mudar o nome do botão</source>
        <translation>rename the button</translation>
    </message>
    <message>
        <source>ler os botões de mesa</source>
        <translation>read the table buttons</translation>
    </message>
    <message>
        <source>ler a loja da configuração</source>
        <translation>read the configuration&apos;s store</translation>
    </message>
    <message>
        <source>ler as mesas disponíveis</source>
        <translation>read the available tables</translation>
    </message>
    <message>
        <source>conferir o ambiente do botão</source>
        <translation>check the button&apos;s area</translation>
    </message>
    <message>
        <source>gravar o botão</source>
        <translation>save the button</translation>
    </message>
    <message>
        <source>ler os ambientes disponíveis</source>
        <translation>read the available areas</translation>
    </message>
    <message>
        <source>ler a mesa do botão</source>
        <translation>read the button&apos;s table</translation>
    </message>
    <message>
        <source>ler o ambiente do botão</source>
        <translation>read the button&apos;s area</translation>
    </message>
    <message>
        <source>excluir o botão</source>
        <translation>delete the button</translation>
    </message>
    <message>
        <source>verificar as mesas pendentes do ambiente</source>
        <translation>check the area&apos;s open tables</translation>
    </message>
    <message>
        <source>ler as mesas do ambiente</source>
        <translation>read the area&apos;s tables</translation>
    </message>
    <message>
        <source>verificar a situação da mesa</source>
        <translation>check the table&apos;s status</translation>
    </message>
    <message>
        <source>excluir o botão de mesa</source>
        <translation>delete the table button</translation>
    </message>
    <message>
        <source>mudar a cor do botão</source>
        <translation>change the button colour</translation>
    </message>
    <message>
        <source>mudar a cor do texto do botão</source>
        <translation>change the button&apos;s text colour</translation>
    </message>
    <message>
        <source>Comando desconhecido no módulo de dados: %1</source>
        <translation>Unknown statement in the data module: %1</translation>
    </message>
    <message>
        <source>A conexão com o banco de dados não está aberta.</source>
        <translation>The database connection is not open.</translation>
    </message>
    <message>
        <source>Erro ao preparar o comando para %1 (%2)</source>
        <translation>Could not prepare the statement to %1 (%2)</translation>
    </message>
    <message>
        <source>executar o comando</source>
        <translation>run the statement</translation>
    </message>
    <message>
        <source>Erro ao %1 (%2)</source>
        <translation>Could not %1 (%2)</translation>
    </message>
    <message>
        <source>O módulo de dados da configuração de mesas não foi criado.</source>
        <translation>The table setup data module was not created.</translation>
    </message>
    <message>
        <source>O botão de ambiente %1 não tem mais o ambiente da mesa %2: ele foi mudado em outro terminal.</source>
        <translation>The area button %1 no longer holds the area of table %2: it was changed on another terminal.</translation>
    </message>
    <message>
        <source>A consulta adqTodasMesasAmb não trouxe a coluna %1.</source>
        <translation>The query adqTodasMesasAmb did not return the column %1.</translation>
    </message>
    <message>
        <source>reservar as mesas do ambiente</source>
        <translation>lock the area&apos;s tables</translation>
    </message>
    <message>
        <source>mudar o botão</source>
        <translation>change the button</translation>
    </message>
    <message>
        <source>travar o leiaute da configuração</source>
        <translation>lock the configuration's layout</translation>
    </message>
    <message>
        <source>reservar as mesas da configuração</source>
        <translation>reserve the configuration's tables</translation>
    </message>
    <message>
        <source>Erro ao ler os direitos do papel</source>
        <translation>Could not read the role's rights</translation>
    </message>
    <message>
        <source>O papel %1 não pode ler a configuração de mesas deste banco de dados. Peça ao dono do esquema que rode: %2</source>
        <translation>Role %1 may not read this database's table-screen setup. Ask the schema's owner to run: %2</translation>
    </message>
    <message>
        <source>O papel %1 é terminal das filiais %2. Esta tela edita o leiaute central da rede (filial %3), que esse papel não pode ler nem mudar; as filiais recebem esse leiaute do dono do esquema (--import-layout). Para editá-lo aqui, peça ao dono do esquema que rode: %4</source>
        <translation>Role %1 is a terminal of branches %2. This screen edits the chain's central layout (branch %3), which this role may neither read nor change; the branches receive that layout from the schema's owner (--import-layout). To edit it here, ask the schema's owner to run: %4</translation>
    </message>
    <message>
        <source>O papel %1 pode ler o leiaute da filial %2, mas não mudá-lo. Peça ao dono do esquema que rode: %3</source>
        <translation>Role %1 may read the layout of branch %2 but not change it. Ask the schema's owner to run: %3</translation>
    </message>
</context>
<context>
    <name>qdl-host</name>
    <message>
        <source>Lista as mudanças do leiaute, a mais recente primeiro (só as de --branch, --configuration e desde --since, quando dados), e sai.</source>
        <translation>List the layout&apos;s changes, newest first (only those of --branch, --configuration and since --since, when given), then exit.</translation>
    </message>
    <message>
        <source>Com --history: só as mudanças desde a HORA local (ISO 8601, como 2026-12-07T14:30).</source>
        <translation>With --history: only the changes since the local TIME (ISO 8601, such as 2026-12-07T14:30).</translation>
    </message>
    <message>
        <source>HORA</source>
        <translation>TIME</translation>
    </message>
    <message>
        <source>Remove do histórico do leiaute os registros anteriores à HORA local (ISO 8601), diz quantos e sai (rodado pelo dono do esquema).</source>
        <translation>Remove the layout history&apos;s records older than the local TIME (ISO 8601), say how many, then exit (run by the schema&apos;s owner).</translation>
    </message>
    <message>
        <source>PostgreSQL: dá ao papel de login PAPEL o que a tela precisa, só nas filiais de --branch CÓDIGO[,CÓDIGO...], e sai (rodado pelo dono do esquema).</source>
        <translation>PostgreSQL: give the login role ROLE what the screen needs, on the branches of --branch CODE[,CODE...] only, then exit (run by the schema&apos;s owner).</translation>
    </message>
    <message>
        <source>PostgreSQL: tira do papel PAPEL o que --grant-terminal deu, e sai.</source>
        <translation>PostgreSQL: take from the role ROLE what --grant-terminal gave, then exit.</translation>
    </message>
    <message>
        <source>PAPEL</source>
        <translation>ROLE</translation>
    </message>
    <message>
        <source>Atualiza o esquema do banco de dados para o desta versão, um passo numerado por transação, e sai (rodado pelo dono do esquema).</source>
        <translation>Upgrade the database&apos;s schema to this version&apos;s, one numbered step per transaction, then exit (run by the schema&apos;s owner).</translation>
    </message>
    <message>
        <source>Quadrel - configuração da tela de mesas (Qdl00005)</source>
        <translation>Quadrel - table-screen configuration (Qdl00005)</translation>
    </message>
    <message>
        <source>Banco de dados: sqlite:CAMINHO ou postgresql://usuario@servidor:porta/banco.</source>
        <translation>Database: sqlite:PATH or postgresql://user@host:port/dbname.</translation>
    </message>
    <message>
        <source>Cria as tabelas e os dados de demonstração em um banco vazio e sai.</source>
        <translation>Create the tables and demo data in an empty database, then exit.</translation>
    </message>
    <message>
        <source>Abre a tela, grava-a em PNG assim que pintada e sai.</source>
        <translation>Open the screen, save it as a PNG once painted, and leave.</translation>
    </message>
    <message>
        <source>ARQUIVO</source>
        <translation>FILE</translation>
    </message>
    <message>
        <source>Idioma: pt (padrão) ou en.</source>
        <translation>Language: pt (default) or en.</translation>
    </message>
    <message>
        <source>IDIOMA</source>
        <translation>LANG</translation>
    </message>
    <message>
        <source>Confere o leiaute gravado, lista cada regra violada e sai (0 consistente, 1 problemas encontrados, 2 banco de dados ilegível).</source>
        <translation>Check the stored layout and list every broken rule, then exit (0 consistent, 1 problems found, 2 database not readable).</translation>
    </message>
    <message>
        <source>Com --check: confere só o leiaute da filial CÓDIGO. Com --grant-terminal: as filiais do papel, separadas por vírgula.</source>
        <translation>With --check: check the layout of branch CODE only. With --grant-terminal: the role&apos;s branches, comma-separated.</translation>
    </message>
    <message>
        <source>CÓDIGO</source>
        <translation>CODE</translation>
    </message>
    <message>
        <source>Com --check: confere só o leiaute da filial CÓDIGO. Com --grant-terminal: as filiais do papel, separadas por vírgula. Com --export-layout, --import-layout e --restore: a filial do leiaute (padrão 9999); com --import-layout, também várias, separadas por vírgula. Com --history: só os registros dessa filial.</source>
        <translation>With --check: checks only the layout of branch CODE. With --grant-terminal: the role&apos;s branches, separated by commas. With --export-layout, --import-layout and --restore: the layout&apos;s branch (default 9999); with --import-layout, several too, separated by commas. With --history: only that branch&apos;s records.</translation>
    </message>
    <message>
        <source>Grava o leiaute de --branch e --configuration no ARQUIVO de texto (formato em docs/layout-format.md) e sai.</source>
        <translation>Writes the layout of --branch and --configuration to the text FILE (format in docs/layout-format.md) and exits.</translation>
    </message>
    <message>
        <source>Põe o leiaute do ARQUIVO em cada filial de --branch CÓDIGO[,CÓDIGO...] ou de --all-branches, uma transação por filial, numa só conexão; lista o que muda e o que cada filial não tem, com várias filiais um resumo, e sai (0 tudo gravado ou sem mudança, 1 alguma filial recusada pela conferência ou por mesas em uso, 2 erro).</source>
        <translation>Puts the layout of FILE into each branch of --branch CODE[,CODE...] or of --all-branches, one transaction a branch, over one connection; lists what changes and what each branch lacks, with several branches a summary, and exits (0 all written or unchanged, 1 some branch refused by the check or by tables in use, 2 error).</translation>
    </message>
    <message>
        <source>Com --import-layout: todas as filiais que têm a configuração de --configuration, menos a central 9999 (num PostgreSQL, um papel de terminal só vê as suas).</source>
        <translation>With --import-layout: every branch that has the configuration of --configuration, except the central 9999 (on PostgreSQL a terminal role sees its own only).</translation>
    </message>
    <message>
        <source>--all-branches só vale com --import-layout.</source>
        <translation>--all-branches goes only with --import-layout.</translation>
    </message>
    <message>
        <source>--all-branches e --branch CÓDIGO nomeiam as filiais de dois modos: dê um só.</source>
        <translation>--all-branches and --branch CODE name the branches two ways: give one only.</translation>
    </message>
    <message>
        <source>--branch CÓDIGO,CÓDIGO... (várias filiais) só vale com --import-layout e --grant-terminal.</source>
        <translation>--branch CODE,CODE... (several branches) goes only with --import-layout and --grant-terminal.</translation>
    </message>
    <message>
        <source>Volta o leiaute ao que era na HORA local (ISO 8601, como 2026-12-07T14:30), pelo histórico, numa transação, e sai (0 gravado, 1 recusado pela conferência, 2 erro).</source>
        <translation>Puts the layout back as it was at local TIME (ISO 8601, such as 2026-12-07T14:30), from the history, in one transaction, and exits (0 written, 1 refused by the check, 2 error).</translation>
    </message>
    <message>
        <source>Com --import-layout e --restore: mostra o que mudaria e não grava nada.</source>
        <translation>With --import-layout and --restore: shows what would change and writes nothing.</translation>
    </message>
    <message>
        <source>A configuração de tela do leiaute (padrão 00001).</source>
        <translation>The layout&apos;s screen configuration (default 00001).</translation>
    </message>
    <message>
        <source>Banco de dados não encontrado: %1</source>
        <translation>Database not found: %1</translation>
    </message>
    <message>
        <source>Banco de dados de demonstração criado em %1.</source>
        <translation>Demo database created in %1.</translation>
    </message>
    <message>
        <source>Não foi possível carregar o pacote: %1</source>
        <translation>Could not load the package: %1</translation>
    </message>
    <message>
        <source>O pacote não exporta CriaTelaQdl00005/Initialize/Finalize.</source>
        <translation>The package does not export CriaTelaQdl00005/Initialize/Finalize.</translation>
    </message>
    <message>
        <source>Não foi possível gravar %1</source>
        <translation>Could not write %1</translation>
    </message>
    <message>
        <source>Escala da tela: auto (a maior que cabe na tela) ou um fator, como 1.5.</source>
        <translation>Screen scale: auto (the largest that fits the screen) or a factor such as 1.5.</translation>
    </message>
    <message>
        <source>ESCALA</source>
        <translation>SCALE</translation>
    </message>
    <message>
        <source>%1 e %2 são comandos diferentes: dê um de cada vez.</source>
        <translation>%1 and %2 are separate commands: give one at a time.</translation>
    </message>
    <message>
        <source>--branch CÓDIGO só vale com --check, --history, --export-layout, --import-layout, --restore e --grant-terminal.</source>
        <translation>--branch CODE goes only with --check, --history, --export-layout, --import-layout, --restore and --grant-terminal.</translation>
    </message>
    <message>
        <source>--branch CÓDIGO: falta o código da filial (qdl-host --branches lista as filiais).</source>
        <translation>--branch CODE: the branch&apos;s code is missing (qdl-host --branches lists the branches).</translation>
    </message>
    <message>
        <source>--configuration NNNNN só vale com --history, --export-layout, --import-layout e --restore.</source>
        <translation>--configuration NNNNN goes only with --history, --export-layout, --import-layout and --restore.</translation>
    </message>
    <message>
        <source>--dry-run só vale com --import-layout e --restore.</source>
        <translation>--dry-run goes only with --import-layout and --restore.</translation>
    </message>
    <message>
        <source>--grant-terminal PAPEL precisa de --branch CÓDIGO[,CÓDIGO...], as filiais do papel (qdl-host --branches lista as filiais).</source>
        <translation>--grant-terminal ROLE needs --branch CODE[,CODE...], the role&apos;s branches (qdl-host --branches lists the branches).</translation>
    </message>
    <message>
        <source>--import-layout ARQUIVO precisa de --branch CÓDIGO, a filial que recebe o leiaute (qdl-host --branches lista as filiais).</source>
        <translation>--import-layout FILE needs --branch CODE, the branch that receives the layout (qdl-host --branches lists the branches).</translation>
    </message>
    <message>
        <source>--prune-history HORA limpa o histórico inteiro, só pela hora: não aceita --branch, --configuration nem --since.</source>
        <translation>--prune-history TIME prunes the whole history, by time alone: it takes no --branch, --configuration or --since.</translation>
    </message>
    <message>
        <source>--revoke-terminal PAPEL tira do papel todas as filiais: não aceita --branch.</source>
        <translation>--revoke-terminal ROLE takes every branch from the role: it takes no --branch.</translation>
    </message>
    <message>
        <source>--since HORA só vale com --history (as mudanças desde a HORA); para remover os registros anteriores a uma hora, use --prune-history HORA.</source>
        <translation>--since TIME goes only with --history (the changes since TIME); to remove the records older than a time, use --prune-history TIME.</translation>
    </message>
    <message>
        <source>Argumento inesperado: %1 (as opções começam com --).</source>
        <translation>Unexpected argument: %1 (options begin with --).</translation>
    </message>
    <message>
        <source>Veja qdl-host --help.</source>
        <translation>See qdl-host --help.</translation>
    </message>
    <message>
        <source>Lista as filiais, cada uma com as suas configurações de tela e, de cada configuração, quantos ambientes, mesas e botões tem, e sai.</source>
        <translation>List the branches, each with its screen configurations and, for each configuration, how many areas, tables and buttons it has, then exit.</translation>
    </message>
    <message>
        <source>Não foi possível abrir a tela (%1). Rode o programa numa sessão gráfica ou grave a tela numa imagem com --screenshot ARQUIVO.</source>
        <translation>Could not open the screen (%1). Run the program in a graphical session, or save the screen to a picture with --screenshot FILE.</translation>
    </message>
    <message>
        <source>Não há tela onde abrir o programa: nem DISPLAY nem WAYLAND_DISPLAY está definida. Rode-o numa sessão gráfica ou grave a tela numa imagem com --screenshot ARQUIVO.</source>
        <translation>There is no display to open the program on: neither DISPLAY nor WAYLAND_DISPLAY is set. Run it in a graphical session, or save the screen to a picture with --screenshot FILE.</translation>
    </message>
    <message>
        <source>Mostra o banco de dados, o idioma e a escala em vigor e de onde vêm, e sai.</source>
        <translation>Show the database, language and scale in effect and where each comes from, then exit.</translation>
    </message>
    <message>
        <source>(chave database de %1)</source>
        <translation>(key database of %1)</translation>
    </message>
</context>
<context>
    <name>HostConfig</name>
    <message>
        <source>%1: recusado: o arquivo é um link simbólico, que o programa não segue. Ponha ali o próprio arquivo.</source>
        <translation>%1: refused: the file is a symbolic link, which the program does not follow. Put the file itself there.</translation>
    </message>
    <message>
        <source>não é um arquivo comum</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>serviço %1 do arquivo de serviços da libpq</source>
        <translation>service %1 of libpq&apos;s service file</translation>
    </message>
    <message>
        <source>%1: valor inválido para %2: &quot;%3&quot;. %4</source>
        <translation>%1: invalid value for %2: &quot;%3&quot;. %4</translation>
    </message>
    <message>
        <source>Use pt ou en.</source>
        <translation>Use pt or en.</translation>
    </message>
    <message>
        <source>Use auto ou um fator de %1 a %2.</source>
        <translation>Use auto or a factor from %1 to %2.</translation>
    </message>
    <message>
        <source>%1: o arquivo de configuração não pode ser lido (%2).</source>
        <translation>%1: the configuration file cannot be read (%2).</translation>
    </message>
    <message>
        <source>%1: o arquivo de configuração não está no formato INI (linhas chave=valor).</source>
        <translation>%1: the configuration file is not in INI format (key=value lines).</translation>
    </message>
    <message>
        <source>%1, linha %2: &quot;%3&quot; não está no formato chave=valor.</source>
        <translation>%1, line %2: &quot;%3&quot; is not in key=value form.</translation>
    </message>
    <message>
        <source>%1, linha %2: o arquivo de configuração contém um caractere NUL (byte zero).</source>
        <translation>%1, line %2: the configuration file holds a NUL character (zero byte).</translation>
    </message>
    <message>
        <source>%1: chave desconhecida &quot;%2&quot; (as chaves são database, language e scale).</source>
        <translation>%1: unknown key &quot;%2&quot; (the keys are database, language and scale).</translation>
    </message>
    <message>
        <source>%1 guarda uma senha (chave database) e pode ser lido por outros usuários. Deixe a senha em ~/.pgpass ou restrinja o arquivo ao dono (chmod 600 %1).</source>
        <translation>%1 holds a password (key database) and can be read by other users. Keep the password in ~/.pgpass or restrict the file to its owner (chmod 600 %1).</translation>
    </message>
    <message>
        <source>linha de comando</source>
        <translation>command line</translation>
    </message>
    <message>
        <source>variável de ambiente QDL_DATABASE</source>
        <translation>environment QDL_DATABASE</translation>
    </message>
    <message>
        <source>padrão</source>
        <translation>default</translation>
    </message>
    <message>
        <source>ambiente</source>
        <translation>environment</translation>
    </message>
    <message>
        <source>%1: recusado: o arquivo é do usuário %2, não de %3 nem de root. Corrija com chown %3 %1.</source>
        <translation>%1: refused: the file belongs to user %2, not to %3 or root. Fix it with chown %3 %1.</translation>
    </message>
    <message>
        <source>%1: recusado: a pasta %2 é do usuário %3, não de %4 nem de root. Corrija com chown %4 %2.</source>
        <translation>%1: refused: the folder %2 belongs to user %3, not to %4 or root. Fix it with chown %4 %2.</translation>
    </message>
    <message>
        <source>%1: recusado: o grupo ou outros usuários podem alterar o arquivo (modo %2). Corrija com chmod go-w %1.</source>
        <translation>%1: refused: group or other users may change the file (mode %2). Fix it with chmod go-w %1.</translation>
    </message>
    <message>
        <source>%1: recusado: o grupo ou outros usuários podem alterar a pasta %2 (modo %3). Corrija com chmod go-w %2.</source>
        <translation>%1: refused: group or other users may change the folder %2 (mode %3). Fix it with chmod go-w %2.</translation>
    </message>
    <message>
        <source>cadeia de conexão do banco de dados</source>
        <translation>the database&apos;s connection string</translation>
    </message>
    <message>
        <source>variável de ambiente PGSSLMODE</source>
        <translation>environment PGSSLMODE</translation>
    </message>
    <message>
        <source>escolhido pelo programa: servidor fora desta máquina</source>
        <translation>chosen by the program: the server is not on this machine</translation>
    </message>
    <message>
        <source>escolhido pelo programa: servidor nesta máquina</source>
        <translation>chosen by the program: the server is on this machine</translation>
    </message>
    <message>
        <source>padrão da libpq</source>
        <translation>libpq&apos;s default</translation>
    </message>
    <message>
        <source>%1: --database traz uma senha, que a lista de processos mostra a todos os usuários da máquina. Deixe a senha no arquivo de senhas da libpq (~/.pgpass, ou o que PGPASSFILE nomear) ou no arquivo de configuração %2, restrito ao dono (chmod 600 %2).</source>
        <translation>%1: --database carries a password, which the process list shows to every user of the machine. Keep the password in libpq&apos;s password file (~/.pgpass, or the one PGPASSFILE names) or in the configuration file %2, kept to its owner (chmod 600 %2).</translation>
    </message>
</context>
<context>
    <name>Branches</name>
    <message numerus="yes">
        <source>%1: %n filial(is).</source>
        <translation>
            <numerusform>%1: %n branch.</numerusform>
            <numerusform>%1: %n branches.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: nenhuma filial que esta conexão possa ler (LOJA e CONFTELA).</source>
        <translation>%1: no branch this connection may read (LOJA and CONFTELA).</translation>
    </message>
    <message>
        <source>Filial %1</source>
        <translation>Branch %1</translation>
    </message>
    <message>
        <source>nenhuma configuração de tela (CONFTELA).</source>
        <translation>no screen configuration (CONFTELA).</translation>
    </message>
    <message>
        <source>configuração %1, loja %2: %3, %4, %5, %6.</source>
        <translation>configuration %1, store %2: %3, %4, %5, %6.</translation>
    </message>
    <message numerus="yes">
        <source>%n ambiente(s)</source>
        <translation>
            <numerusform>%n area</numerusform>
            <numerusform>%n areas</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n mesa(s)</source>
        <translation>
            <numerusform>%n table</numerusform>
            <numerusform>%n tables</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n botão(ões) de ambiente</source>
        <translation>
            <numerusform>%n area button</numerusform>
            <numerusform>%n area buttons</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n botão(ões) de mesa</source>
        <translation>
            <numerusform>%n table button</numerusform>
            <numerusform>%n table buttons</numerusform>
        </translation>
    </message>
    <message>
        <source>Erro ao ler as filiais (LOJA, CONFTELA)</source>
        <translation>Could not read the branches (LOJA, CONFTELA)</translation>
    </message>
    <message>
        <source>Não foi possível listar as filiais: %1</source>
        <translation>Could not list the branches: %1</translation>
    </message>
    <message>
        <source>O banco de dados não tem as tabelas da configuração de mesas; crie-as com --create-demo.</source>
        <translation>The database does not hold the table-setup tables; create them with --create-demo.</translation>
    </message>
</context>
<context>
    <name>SchemaVersion</name>
    <message>
        <source>Erro ao ler os direitos do esquema</source>
        <translation>Error reading the schema's rights</translation>
    </message>
    <message>
        <source>O esquema %1 deixa %2 criar objetos nele: quem cria ali pode pôr um operador ou uma função no lugar dos que as funções do dono usam. Nada foi feito. O dono do esquema o fecha com: %3</source>
        <translation>Schema %1 lets %2 create objects in it: whoever creates there can put an operator or a function in place of those the owner's functions use. Nothing was done. The schema's owner closes it with: %3</translation>
    </message>
    <message>
        <source>Erro ao fechar o esquema</source>
        <translation>Error closing the schema</translation>
    </message>
    <message>
        <source>O esquema %1 deixava %2 criar objetos nele; fechado: %3.</source>
        <translation>Schema %1 let %2 create objects in it; closed: %3.</translation>
    </message>
    <message>
        <source>O banco de dados tem o esquema da versão %1; esta versão do programa usa a %2. O dono do esquema deve rodar &quot;qdl-host --database URL --upgrade&quot;.</source>
        <translation>The database holds schema version %1; this version of the program uses %2. The schema&apos;s owner should run &quot;qdl-host --database URL --upgrade&quot;.</translation>
    </message>
    <message>
        <source>O banco de dados tem o esquema da versão %1, mais nova que a %2 que esta versão do programa conhece: nada será gravado. Atualize o programa.</source>
        <translation>The database holds schema version %1, newer than the %2 this version of the program knows: nothing will be written. Update the program.</translation>
    </message>
    <message>
        <source>Esquema antigo (versão %1 de %2):
rode qdl-host --upgrade.</source>
        <translation>Old schema (version %1 of %2):
run qdl-host --upgrade.</translation>
    </message>
    <message>
        <source>Esquema mais novo (versão %1 de %2):
nada será gravado.</source>
        <translation>Newer schema (version %1 of %2):
nothing will be written.</translation>
    </message>
    <message>
        <source>O banco de dados não tem as tabelas da configuração de mesas; crie-as com --create-demo.</source>
        <translation>The database does not hold the table-setup tables; create them with --create-demo.</translation>
    </message>
    <message>
        <source>O esquema já está na versão %1.</source>
        <translation>The schema is already at version %1.</translation>
    </message>
    <message>
        <source>Erro ao ler a versão do esquema</source>
        <translation>Could not read the schema&apos;s version</translation>
    </message>
    <message>
        <source>Erro ao ler o dono do esquema</source>
        <translation>Could not read the schema&apos;s owner</translation>
    </message>
    <message>
        <source>Erro ao atualizar o esquema para a versão %1</source>
        <translation>Could not upgrade the schema to version %1</translation>
    </message>
    <message>
        <source>Esquema atualizado da versão %1 para a %2.</source>
        <translation>Schema upgraded from version %1 to %2.</translation>
    </message>
    <message>
        <source>Erro ao guardar a cópia do banco de dados em %1</source>
        <translation>Could not keep the copy of the database in %1</translation>
    </message>
    <message>
        <source>Cópia do banco de dados antes da atualização: %1</source>
        <translation>Copy of the database before the upgrade: %1</translation>
    </message>
</context>
<context>
    <name>TerminalRoles</name>
    <message>
        <source>O papel %1 é o dono do esquema (%2) ou age como ele: o dono não é confinado a filiais e as operações do leiaute são dele. Dê --grant-terminal a um papel de terminal.</source>
        <translation>Role %1 is the schema's owner (%2) or acts as it: the owner is confined to no branch and the layout's operations are its own. Give --grant-terminal to a terminal's role.</translation>
    </message>
    <message>
        <source>O papel %1 é superusuário: o servidor não confina um superusuário a filial nenhuma.</source>
        <translation>Role %1 is a superuser: the server confines a superuser to no branch.</translation>
    </message>
    <message>
        <source>O papel %1 tem BYPASSRLS: o servidor não o confina a filial nenhuma.</source>
        <translation>Role %1 has BYPASSRLS: the server confines it to no branch.</translation>
    </message>
    <message>
        <source>O papel %1 é um papel embutido do PostgreSQL: todos os seus membros seriam terminais.</source>
        <translation>Role %1 is a PostgreSQL built-in role: every member of it would be a terminal.</translation>
    </message>
    <message>
        <source>Papéis de terminal só existem no PostgreSQL.</source>
        <translation>Terminal roles exist on PostgreSQL only.</translation>
    </message>
    <message>
        <source>Erro ao ler o papel %1</source>
        <translation>Error reading the role %1</translation>
    </message>
    <message>
        <source>O papel %1 não existe no servidor.</source>
        <translation>The role %1 does not exist on the server.</translation>
    </message>
    <message>
        <source>--grant-terminal precisa de --branch CÓDIGO[,CÓDIGO...].</source>
        <translation>--grant-terminal needs --branch CODE[,CODE...].</translation>
    </message>
    <message>
        <source>Código de filial com mais de 4 caracteres: %1</source>
        <translation>Branch code longer than 4 characters: %1</translation>
    </message>
    <message>
        <source>Só o dono do esquema (%1) dá e tira papéis de terminal; rode o comando conectado como %1.</source>
        <translation>Only the schema's owner (%1) grants and revokes terminal roles; run the command connected as %1.</translation>
    </message>
    <message>
        <source>Erro ao ler as lojas (LOJA)</source>
        <translation>Could not read the stores (LOJA)</translation>
    </message>
    <message>
        <source>A filial %1 não existe: nenhuma loja (LOJA) dela. Veja as filiais com qdl-host --branches.</source>
        <translation>Branch %1 does not exist: it has no store (LOJA). See the branches with qdl-host --branches.</translation>
    </message>
</context>
<context>
    <name>TerminalBranches</name>
    <message>
        <source>Erro ao ler as filiais do papel</source>
        <translation>Could not read the role&apos;s branches</translation>
    </message>
    <message>
        <source>O papel %1 é de terminal das filiais %2 e não pode ler nem mudar a filial %3; rode o comando com um papel dessa filial ou com o dono do esquema.</source>
        <translation>The role %1 is a terminal of branches %2 and may neither read nor change branch %3; run the command as a role of that branch or as the schema&apos;s owner.</translation>
    </message>
</context>
<context>
    <name>LayoutFile</name>
    <message>
        <source>Erro ao ler quem trava a filial</source>
        <translation>Error reading who holds the branch</translation>
    </message>
    <message>
        <source>papel %1</source>
        <translation>role %1</translation>
    </message>
    <message>
        <source>, programa %1</source>
        <translation>, program %1</translation>
    </message>
    <message>
        <source>, desde %1</source>
        <translation>, since %1</translation>
    </message>
    <message>
        <source>outra sessão, que o servidor não mostra a este papel</source>
        <translation>another session, which the server does not show to this role</translation>
    </message>
    <message>
        <source>Erro ao ler as filiais</source>
        <translation>Could not read the branches</translation>
    </message>
    <message>
        <source>Erro ao ler o leiaute da filial</source>
        <translation>Could not read the branch&apos;s layout</translation>
    </message>
    <message>
        <source>Erro ao iniciar a transação</source>
        <translation>Could not begin the transaction</translation>
    </message>
    <message>
        <source>Erro ao conferir o leiaute da filial</source>
        <translation>Could not confirm the branch&apos;s layout is as read</translation>
    </message>
    <message>
        <source>Erro ao verificar o leiaute da filial</source>
        <translation>Could not check the branch&apos;s layout</translation>
    </message>
    <message>
        <source>Erro ao gravar o leiaute da filial</source>
        <translation>Could not write the branch&apos;s layout</translation>
    </message>
    <message>
        <source>Erro ao ler a mesa padrão da loja (LOJA)</source>
        <translation>Could not read the store&apos;s default table (LOJA)</translation>
    </message>
    <message>
        <source>%1: a mesa %2 é a mesa padrão da loja e não fica em botão.</source>
        <translation>%1: table %2 is the store&apos;s default table and takes no button.</translation>
    </message>
    <message>
        <source>Erro ao ler a situação das mesas (MESA) da filial</source>
        <translation>Could not read the state of the branch&apos;s tables (MESA)</translation>
    </message>
    <message>
        <source>%1: a mesa %2 (%3) está ocupada ou reservada no sistema de restaurante e o botão dela não pode ser removido.</source>
        <translation>%1: table %2 (%3) is occupied or reserved in the restaurant system and its button cannot be removed.</translation>
    </message>
    <message>
        <source>código %1 em vez de %2</source>
        <translation>code %1 instead of %2</translation>
    </message>
    <message>
        <source>nome %1 em vez de %2</source>
        <translation>caption %1 instead of %2</translation>
    </message>
    <message>
        <source>cor do texto %1 em vez de %2</source>
        <translation>text colour %1 instead of %2</translation>
    </message>
    <message>
        <source>cor do fundo %1 em vez de %2</source>
        <translation>background colour %1 instead of %2</translation>
    </message>
    <message>
        <source>mensagem %1 em vez de %2</source>
        <translation>message %1 instead of %2</translation>
    </message>
    <message>
        <source>O %1 tem uma cor gravada que não é um número inteiro (%2): corrija-a na tela antes de exportar.</source>
        <translation>The %1 has a stored colour that is not a whole number (%2): correct it on the screen before exporting.</translation>
    </message>
    <message>
        <source>caractere de controle sem escape (\x%1)</source>
        <translation>control character not escaped (\x%1)</translation>
    </message>
    <message>
        <source>escape %1 inválido</source>
        <translation>invalid escape %1</translation>
    </message>
    <message>
        <source>%1 %2 não é um número inteiro de até 10 dígitos nem \N</source>
        <translation>%1 %2 is neither a whole number of up to 10 digits nor \N</translation>
    </message>
    <message>
        <source>%1 campos separados por tabulação em vez de %2</source>
        <translation>%1 tab-separated fields instead of %2</translation>
    </message>
    <message>
        <source>%1 não pode ser \N</source>
        <translation>%1 cannot be \N</translation>
    </message>
    <message>
        <source>%1 com mais de %2 caracteres</source>
        <translation>%1 longer than %2 characters</translation>
    </message>
    <message>
        <source>Erro ao procurar a tabela QDL_HISTORICO</source>
        <translation>Could not look for the table QDL_HISTORICO</translation>
    </message>
    <message>
        <source>O registro %1 do histórico não traz a linha como um objeto JSON (%2).</source>
        <translation>History record %1 does not hold the row as a JSON object (%2).</translation>
    </message>
    <message>
        <source>Erro ao preparar a inclusão de botões</source>
        <translation>Could not prepare adding buttons</translation>
    </message>
    <message>
        <source>Erro ao preparar a mudança de botões</source>
        <translation>Could not prepare changing buttons</translation>
    </message>
    <message>
        <source>Erro ao preparar a remoção de botões</source>
        <translation>Could not prepare removing buttons</translation>
    </message>
    <message>
        <source>Erro ao remover o %1</source>
        <translation>Could not remove the %1</translation>
    </message>
    <message>
        <source>Erro ao incluir o %1</source>
        <translation>Could not add the %1</translation>
    </message>
    <message>
        <source>Erro ao mudar o %1</source>
        <translation>Could not change the %1</translation>
    </message>
    <message>
        <source>o leiaute foi mudado por outro terminal durante a operação; nada foi gravado. Tente de novo.</source>
        <translation>another terminal changed the layout meanwhile; nothing was written. Try again.</translation>
    </message>
    <message>
        <source>Erro ao ler os ambientes (SALA) da filial</source>
        <translation>Could not read the branch&apos;s areas (SALA)</translation>
    </message>
    <message>
        <source>Erro ao ler as mesas (MESA) da filial</source>
        <translation>Could not read the branch&apos;s tables (MESA)</translation>
    </message>
    <message>
        <source>%1: o ambiente %2 não existe na filial %3.</source>
        <translation>%1: the area %2 does not exist in branch %3.</translation>
    </message>
    <message>
        <source>%1: o botão de ambiente %2 ficou de fora.</source>
        <translation>%1: its area button %2 was left out.</translation>
    </message>
    <message>
        <source>%1: a mesa %2 não existe na filial %3.</source>
        <translation>%1: the table %2 does not exist in branch %3.</translation>
    </message>
    <message>
        <source>%1: na filial %2 a mesa %3 é do ambiente %4, não do %5.</source>
        <translation>%1: in branch %2 the table %3 belongs to area %4, not to %5.</translation>
    </message>
    <message>
        <source>Linha %1: %2.</source>
        <translation>Line %1: %2.</translation>
    </message>
    <message>
        <source>arquivo vazio; a primeira linha deve ser &quot;%1&lt;TAB&gt;%2&quot;</source>
        <translation>empty file; the first line must be &quot;%1&lt;TAB&gt;%2&quot;</translation>
    </message>
    <message>
        <source>o texto não é UTF-8</source>
        <translation>the text is not UTF-8</translation>
    </message>
    <message>
        <source>não é um arquivo de leiaute (a primeira linha deve ser &quot;%1&lt;TAB&gt;%2&quot;)</source>
        <translation>not a layout file (the first line must be &quot;%1&lt;TAB&gt;%2&quot;)</translation>
    </message>
    <message>
        <source>versão %1 do formato desconhecida; este programa lê a versão %2</source>
        <translation>version %1 of the format unknown; this program reads version %2</translation>
    </message>
    <message>
        <source>o mesmo botão que a linha %1</source>
        <translation>the same button as line %1</translation>
    </message>
    <message>
        <source>o código %1 já está em um botão na linha %2</source>
        <translation>the code %1 is already on a button on line %2</translation>
    </message>
    <message>
        <source>Erro ao ler o leiaute da filial %1, configuração %2</source>
        <translation>Could not read the layout of branch %1, configuration %2</translation>
    </message>
    <message>
        <source>Este banco de dados não guarda o histórico do leiaute (tabela QDL_HISTORICO); o dono do esquema deve rodar &quot;qdl-host --database URL --upgrade&quot;.</source>
        <translation>This database keeps no history of the layout (table QDL_HISTORICO); the schema&apos;s owner must run &quot;qdl-host --database URL --upgrade&quot;.</translation>
    </message>
    <message>
        <source>Erro ao ler o histórico da filial %1, configuração %2</source>
        <translation>Could not read the history of branch %1, configuration %2</translation>
    </message>
    <message>
        <source>Erro ao ler a configuração de tela (CONFTELA)</source>
        <translation>Could not read the screen configuration (CONFTELA)</translation>
    </message>
    <message>
        <source>A configuração de tela %2 da filial %1 não existe (nenhuma linha em CONFTELA); qdl-host --branches lista as filiais e as suas configurações.</source>
        <translation>Screen configuration %2 of branch %1 does not exist (no CONFTELA row); qdl-host --branches lists the branches and their configurations.</translation>
    </message>
    <message>
        <source>Erro ao travar o leiaute da configuração</source>
        <translation>Could not lock the configuration&apos;s layout</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Erro ao preparar o comando %1</source>
        <translation>Could not prepare the statement %1</translation>
    </message>
    <message>
        <source>O %1 tem uma cor gravada fora do intervalo de 0 a %2 (%3): corrija-a na tela antes de exportar.</source>
        <translation>The %1 has a stored colour outside the range 0 to %2 (%3): correct it on the screen before exporting.</translation>
    </message>
    <message>
        <source>%1 %2 fora do intervalo de 0 a %3</source>
        <translation>%1 %2 outside the range 0 to %3</translation>
    </message>
</context>
<context>
    <name>LayoutCommand</name>
    <message>
        <source>%1: retida por %2; nada foi lido nem gravado nesta configuração.</source>
        <translation>%1: held by %2; nothing was read or written in this configuration.</translation>
    </message>
    <message>
        <source>retida: %1</source>
        <translation>held: %1</translation>
    </message>
    <message>
        <source>Retida(s) por outra sessão, não tentada(s) de novo: %1; rode o comando outra vez para elas.</source>
        <translation>Held by another session, not tried again: %1; run the command again for them.</translation>
    </message>
    <message>
        <source>um link simbólico</source>
        <translation>a symbolic link</translation>
    </message>
    <message>
        <source>uma pasta</source>
        <translation>a folder</translation>
    </message>
    <message>
        <source>um dispositivo</source>
        <translation>a device</translation>
    </message>
    <message>
        <source>um FIFO</source>
        <translation>a FIFO</translation>
    </message>
    <message>
        <source>um socket</source>
        <translation>a socket</translation>
    </message>
    <message>
        <source>não é um arquivo comum, é %1</source>
        <translation>not a regular file, it is %1</translation>
    </message>
    <message>
        <source>%1 recusado: tem %2 bytes, mais que os %3 MiB que uma importação lê</source>
        <translation>%1 refused: it holds %2 bytes, more than the %3 MiB an import reads</translation>
    </message>
    <message>
        <source>o arquivo mudou enquanto era lido</source>
        <translation>the file changed while it was read</translation>
    </message>
    <message>
        <source>Em uso: %1</source>
        <translation>In use: %1</translation>
    </message>
    <message>
        <source>Há mesas em uso cujos botões seriam removidos: nada foi gravado nesta configuração.</source>
        <translation>Tables in use would lose their buttons: nothing was written to this configuration.</translation>
    </message>
    <message>
        <source>Filial %1, configuração %2</source>
        <translation>Branch %1, configuration %2</translation>
    </message>
    <message>
        <source>Filial %1: nada foi gravado nesta filial: %2</source>
        <translation>Branch %1: nothing was written in this branch: %2</translation>
    </message>
    <message>
        <source>Resumo, %1 filial(is):</source>
        <translation>Summary, %1 branch(es):</translation>
    </message>
    <message>
        <source>Filial</source>
        <translation>Branch</translation>
    </message>
    <message>
        <source>Incluídos</source>
        <translation>Added</translation>
    </message>
    <message>
        <source>Mudados</source>
        <translation>Changed</translation>
    </message>
    <message>
        <source>Removidos</source>
        <translation>Removed</translation>
    </message>
    <message>
        <source>Ignorados</source>
        <translation>Skipped</translation>
    </message>
    <message>
        <source>Resultado</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>mudaria (simulação)</source>
        <translation>would change (dry run)</translation>
    </message>
    <message>
        <source>gravada</source>
        <translation>written</translation>
    </message>
    <message>
        <source>sem mudança</source>
        <translation>unchanged</translation>
    </message>
    <message>
        <source>recusada: %1</source>
        <translation>refused: %1</translation>
    </message>
    <message>
        <source>erro: %1</source>
        <translation>error: %1</translation>
    </message>
    <message>
        <source>%1 mudaria(m), %2 sem mudança, %3 recusada(s), %4 com erro; simulação (--dry-run), nada foi gravado.</source>
        <translation>%1 would change, %2 unchanged, %3 refused, %4 with an error; dry run (--dry-run), nothing was written.</translation>
    </message>
    <message>
        <source>%1 gravada(s), %2 sem mudança, %3 recusada(s), %4 com erro.</source>
        <translation>%1 written, %2 unchanged, %3 refused, %4 with an error.</translation>
    </message>
    <message>
        <source>Recusada(s): %1.</source>
        <translation>Refused: %1.</translation>
    </message>
    <message>
        <source>Com erro: %1.</source>
        <translation>With an error: %1.</translation>
    </message>
    <message>
        <source>Nenhuma filial além da central %1 tem a configuração de tela %2 (num PostgreSQL, entre as que o papel vê); qdl-host --branches lista as filiais e as suas configurações.</source>
        <translation>No branch but the central %1 has screen configuration %2 (on PostgreSQL, among those the role sees); qdl-host --branches lists the branches and their configurations.</translation>
    </message>
    <message>
        <source>== Filial %1 ==</source>
        <translation>== Branch %1 ==</translation>
    </message>
    <message>
        <source>não tentada: a conexão com o banco de dados caiu</source>
        <translation>not tried: the connection to the database was lost</translation>
    </message>
    <message>
        <source>Ignorado: %1</source>
        <translation>Skipped: %1</translation>
    </message>
    <message>
        <source>Ignorado(s) mais %1 botão(ões), não listado(s) um a um.</source>
        <translation>Skipped %1 more button(s), not listed one by one.</translation>
    </message>
    <message>
        <source>Problema: %1</source>
        <translation>Problem: %1</translation>
    </message>
    <message>
        <source>%1: %2 incluído(s), %3 mudado(s), %4 removido(s), %5 ignorado(s).</source>
        <translation>%1: %2 added, %3 changed, %4 removed, %5 skipped.</translation>
    </message>
    <message>
        <source>O leiaute resultante não passou na conferência: nada foi gravado.</source>
        <translation>The resulting layout failed the check: nothing was written.</translation>
    </message>
    <message>
        <source>Simulação (--dry-run): nada foi gravado.</source>
        <translation>Dry run (--dry-run): nothing was written.</translation>
    </message>
    <message>
        <source>O leiaute já era este: nada mudou.</source>
        <translation>The layout was already this one: nothing changed.</translation>
    </message>
    <message>
        <source>Gravado.</source>
        <translation>Written.</translation>
    </message>
    <message>
        <source>Não foi possível gravar %1: %2</source>
        <translation>Could not write %1: %2</translation>
    </message>
    <message numerus="yes">
        <source>%1: %n botão(ões) exportado(s) para %2.</source>
        <translation>
            <numerusform>%1: %n button exported to %2.</numerusform>
            <numerusform>%1: %n buttons exported to %2.</numerusform>
        </translation>
    </message>
    <message>
        <source>Não foi possível ler %1: %2</source>
        <translation>Could not read %1: %2</translation>
    </message>
    <message>
        <source>%1 recusado: %2</source>
        <translation>%1 refused: %2</translation>
    </message>
    <message>
        <source>Hora inválida para --restore: %1 (use a hora local em ISO 8601, como &quot;2026-12-07T14:30&quot; ou &quot;2026-12-07 14:30:05&quot;).</source>
        <translation>Invalid time for --restore: %1 (give local time in ISO 8601, such as &quot;2026-12-07T14:30&quot; or &quot;2026-12-07 14:30:05&quot;).</translation>
    </message>
    <message numerus="yes">
        <source>%1: o leiaute de %2 (%3 UTC) tinha %n botão(ões).</source>
        <translation>
            <numerusform>%1: the layout of %2 (%3 UTC) had %n button.</numerusform>
            <numerusform>%1: the layout of %2 (%3 UTC) had %n buttons.</numerusform>
        </translation>
    </message>
    <message>
        <source>Filial (até 4 caracteres) ou configuração (até 5) inválida: %1, %2.</source>
        <translation>Invalid branch (up to 4 characters) or configuration (up to 5): %1, %2.</translation>
    </message>
    <message>
        <source>O comando não foi concluído; nada foi gravado no banco de dados: %1</source>
        <translation>The command was not completed; nothing was written to the database: %1</translation>
    </message>
    <message>
        <source>Nada foi exportado: %1</source>
        <translation>Nothing was exported: %1</translation>
    </message>
</context>
<context>
    <name>LayoutRules</name>
    <message>
        <source>botão de ambiente %1 (ambiente %2)</source>
        <translation>area button %1 (area %2)</translation>
    </message>
    <message>
        <source>botão de mesa %1, página %2, sob o botão de ambiente %3 (mesa %4)</source>
        <translation>table button %1, page %2, under area button %3 (table %4)</translation>
    </message>
    <message>
        <source>botão %1 de tipo %2 (código %3)</source>
        <translation>button %1 of type %2 (code %3)</translation>
    </message>
</context>
<context>
    <name>ServerOperations</name>
    <message>
        <source>Erro ao ler as colunas do leiaute</source>
        <translation>Could not read the layout's columns</translation>
    </message>
    <message>
        <source>Erro ao ler o esquema</source>
        <translation>Could not read the schema</translation>
    </message>
    <message>
        <source>Erro ao ler os papéis de terminal</source>
        <translation>Could not read the terminal roles</translation>
    </message>
    <message>
        <source>Erro ao criar a operação %1</source>
        <translation>Could not create the operation %1</translation>
    </message>
</context>
</TS>
