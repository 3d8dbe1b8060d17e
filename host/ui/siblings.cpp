#include "siblings.h"

PesquisaProc Pesquisa;
TecladoAlfaNumericoProc TecladoAlfaNumerico;
CriaTelaQdl00006Proc CriaTelaQdl00006;
