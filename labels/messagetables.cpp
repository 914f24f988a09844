#include "labels/messagetables.h"

const QStringList& MensagensConsulta()
{
    static const QStringList table = {
        QStringLiteral("GetDados|Recebendo dados do servidor..."),
        QStringLiteral("Filial|Filial"),
        QStringLiteral("Fornecedor|Fornecedor"),
        QStringLiteral("Todos|Todos"),
        QStringLiteral("Utilizada|Utilizada"),
        QStringLiteral("Não utilizada|Não utilizada"),
        QStringLiteral("Fili_Dev|Filial deve ser informada."),
        QStringLiteral("Forn_Dev|Fornecedor deve ser informado."),
        QStringLiteral("DtIniMenorFin|Data inicial deve ser menor ou igual a data final."),
        QStringLiteral("DtIni_Dev|Data inicial deve ser informada."),
        QStringLiteral("DtFin_Dev|Data final deve ser informada."),
        QStringLiteral("Arq_Inv|Arquivo inválido."),
        QStringLiteral("Erros_Enc|Foram encontrados erros durante a importação da(s) nota(s) fiscal(is)."),
        QStringLiteral("ImportaOk|Importação realizada com sucesso."),
        QStringLiteral("NaoHaNotas|Não há notas fiscais no diretório parametrizado."),
        QStringLiteral("OKParcial|Algumas notas foram importadas com sucesso, e outras tiveram erros. Verifique o log."),
        QStringLiteral("semDir|Não há diretório parametrizado."),
        QStringLiteral("dirInv|Diretório parametrizado não existe."),
        QStringLiteral("arqInv|Alguns arquivos foram importados com sucesso, mas existem arquivos invalidos que não foram importados."),
        QStringLiteral("Inv_CodBar|Código de barras inválido."),
        QStringLiteral("NExi_CodBar|Código de barras não localizado."),
        QStringLiteral("A|Ativa"),
        QStringLiteral("R|Reservada"),
        QStringLiteral("I|Inativa"),
        QStringLiteral("AgrupEtiq|Tem certeza que deseja agrupar as etiquetas selecionadas?"),
        QStringLiteral("Agrup_ok|Agrupamento realizado com sucesso."),
        QStringLiteral("AtuServi|Atualizando servidor.."),
        QStringLiteral("Exist_Pedido|Operação Bloqueada! Já possui pedido (%s) relacionado a etiqueta."),
        QStringLiteral("Agrupa|Agrupamento"),
        QStringLiteral("Desme|Desmembramento"),
        QStringLiteral("Agrup_Limite|Não é possível agrupar: a nova etiqueta teria o número %s, e o código de barras só comporta números de etiqueta até 99999."),
        QStringLiteral("Fecha_Marc|Há etiquetas marcadas. Deseja fechar a tela assim mesmo?"),
        QStringLiteral("Fecha_Impr|Há etiquetas novas ainda não impressas. Deseja fechar a tela assim mesmo?"),
        QStringLiteral("Fecha_Pend|Há etiquetas marcadas e etiquetas novas ainda não impressas. Deseja fechar a tela assim mesmo?"),
        QStringLiteral("NF_NaoEnc|Nenhuma nota fiscal foi encontrada com os filtros informados."),
    };
    return table;
}

const QStringList& MensagensDesmembramento()
{
    static const QStringList table = {
        QStringLiteral("Cod_inf|Código deve ser informado."),
        QStringLiteral("Excl|Confirma exclusão?"),
        QStringLiteral("Cod_jc|Código já cadastrado."),
        QStringLiteral("Nome_inf|Nome deve ser informado."),
        QStringLiteral("desc_inf|Nome deve ser informado."),
        QStringLiteral("Nome_jc|Nome já cadastrado."),
        QStringLiteral("GeraEtiqueta|Gerando etiquetas..."),
        QStringLiteral("Qtde_dev|Quantidade Etiqueta deve ser informado."),
        QStringLiteral("Peso_dev|Peso deve ser informado."),
        QStringLiteral("Qtde_maior|Quantidade Etiqueta deve ser maior que zero."),
        QStringLiteral("Peso_maior|Peso deve ser maior que zero."),
        QStringLiteral("Etiq_Peso_maior|A Quantidade de Etiqueta para o Peso informado supera o valor total da quantidade do produto."),
        QStringLiteral("Etiquetas_Lancadas|A Quantidade de Etiqueta e o Peso informado, adicionados a(s) Etiqueta(s) lançada(s) anteriormente, superam o valor total da quantidade do produto."),
        QStringLiteral("CancelOper|Deseja cancelar a operação?"),
        QStringLiteral("ConfirmaOper|Deseja confirmar o desmembramento?"),
        QStringLiteral("Dif_Etiquetas_Lanc|O peso de origem difere do total de peso acumulado."),
        QStringLiteral("Desme_ok|Desmembramento realizado com sucesso."),
    };
    return table;
}

const QStringList& MensagensRelatorio()
{
    static const QStringList table = {
        QStringLiteral("Arq_Rel_Err|O arquivo contendo a definição do relatório de código '%s' não foi encontrado no diretório '%s'."),
        QStringLiteral("NovoCaption|Título do relatório"),
        QStringLiteral("NovoPrompt|Informe o título do relatório:"),
        QStringLiteral("VD_TRAD|Validando tradução de relatórios"),
        QStringLiteral("fornNCad|Fornecedor não cadastrado."),
        QStringLiteral("serieNCad|Série não cadastrada."),
        QStringLiteral("U|Deseja emitir todas as etiquetas de todos os produtos?"),
        QStringLiteral("C|Deseja desmarcar a emissão das etiquetas de todos os produtos?"),
    };
    return table;
}

QString MensagemDe(const QStringList& table, const QString& key)
{
    for (const QString& entry : table) {
        const qsizetype bar = entry.indexOf(QLatin1Char('|'));
        if (bar >= 0 && QStringView(entry).left(bar) == key)
            return entry.mid(bar + 1);
    }
    return QString();
}
