-- Document templates for deals: a commercial offer and a delivery note. Each
-- script reads the deal into "table" (DEAL_PRINT_SELECT) and its lines into
-- "auxtable" (DEAL_PRINT_LINES_SELECT), fills the template's {{name}} places
-- and puts the result into "document". Values are escaped before they go into
-- the HTML; amounts are printed the Russian way (1 234,50).

insert into sys.t_doc_template (c_type, c_name, n_order, c_html, c_script) values
('DEAL', 'Коммерческое предложение', 10,
$html$<html>
<head>
<meta charset="utf-8">
<title>Коммерческое предложение № {{id_doc}} от {{today}}</title>
<style>
body { font-family: 'DejaVu Sans', 'Liberation Sans', Arial, sans-serif; font-size: 10pt; }
.title { font-size: 14pt; font-weight: bold; }
.lines td, .lines th { font-size: 9pt; }
.sub { color: #555555; }
.small { font-size: 8pt; color: #555555; }
</style>
</head>
<body>
<table width="100%" cellspacing="0" cellpadding="0">
<tr>
<td width="55%" valign="top"><b>{{seller}}</b><br>{{seller_details}}</td>
<td width="45%" valign="top" align="right">{{addressee}}</td>
</tr>
</table>
<hr>
<p align="center" class="title">Коммерческое предложение № {{id_doc}}</p>
<p align="center" class="sub">{{today_words}}</p>
<p>Уважаемые коллеги!</p>
<p>Благодарим за интерес к продукции {{seller}}. {{intro}}</p>
{{lines}}
<p><b>Условия поставки</b></p>
<ul>
{{terms}}
</ul>
<p>Предложение действительно в течение 30 календарных дней с даты составления.
Цены включают НДС по ставкам, указанным для каждой позиции.</p>
<br>
<table width="100%" cellspacing="0" cellpadding="0">
<tr>
<td width="50%">Менеджер по продажам</td>
<td width="50%" align="right">_______________ / {{manager}} /</td>
</tr>
</table>
<p class="small">Составлено {{today}} к сделке № {{id_doc}} от {{deal_date}}. Подготовил: {{user}}.</p>
</body>
</html>$html$,
$script$// Commercial offer for a deal: the deal's header in "table", its lines in "auxtable".

function text(value) {
    return value === undefined || value === null ? "" : String(value);
}

function esc(value) {
    return text(value).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;").replace(/"/g, "&quot;");
}

// 1234.5 -> "1 234,50", with a no-break space between thousands.
function money(value) {
    var number = Number(value);
    var parts = Math.abs(number).toFixed(2).split(".");
    var whole = parts[0], grouped = "";
    while (whole.length > 3) {
        grouped = "\u00a0" + whole.substr(whole.length - 3) + grouped;
        whole = whole.substr(0, whole.length - 3);
    }
    return (number < 0 ? "-" : "") + whole + grouped + "," + parts[1];
}

function quantity(value) {
    var number = Math.round(Number(value) * 1000) / 1000;
    return String(number).replace(".", ",");
}

function fill(html, values) {
    return html.replace(/\{\{(\w+)\}\}/g, function (all, name) {
        return values.hasOwnProperty(name) ? values[name] : "";
    });
}

function load(target, script, parameter, value) {
    target.setScripts(script, "", "", "");
    target.setSelectParam(parameter, value);
    if (!target.open())
        throw new Error("Не удалось прочитать данные сделки (" + script + ")");
}

var idDeal = params.getParam("id_reason");
load(table, "DEAL_PRINT_SELECT", "id", idDeal);
if (table.rowCount() < 1)
    throw new Error("Сделка " + idDeal + " не найдена");
load(auxtable, "DEAL_PRINT_LINES_SELECT", "id_deal", idDeal);

function deal(name) {
    return text(table.getField(name, 0));
}

var currency = esc(deal("c_currency"));

var seller = [];
if (deal("c_seller_inn"))
    seller.push("ИНН " + esc(deal("c_seller_inn")) + (deal("c_seller_kpp") ? ", КПП " + esc(deal("c_seller_kpp")) : ""));
if (deal("c_seller_actual_address") || deal("c_seller_address"))
    seller.push(esc(deal("c_seller_actual_address") || deal("c_seller_address")));
if (deal("c_seller_phone"))
    seller.push("Тел.: " + esc(deal("c_seller_phone")));
if (deal("c_seller_email"))
    seller.push("E-mail: " + esc(deal("c_seller_email")));

var addressee = ["Кому: <b>" + (esc(deal("c_buyer")) || "получатель не указан") + "</b>"];
if (deal("c_contact_person"))
    addressee.push((deal("c_contact_post") ? esc(deal("c_contact_post")) + " " : "") + esc(deal("c_contact_person")));
if (deal("c_buyer_inn"))
    addressee.push("ИНН " + esc(deal("c_buyer_inn")));
if (deal("c_buyer_phone"))
    addressee.push("Тел.: " + esc(deal("c_buyer_phone")));

var rows = "", total = 0, vat = 0, unpriced = 0;
for (var row = 0; row < auxtable.rowCount(); ++row) {
    var priced = auxtable.getField("b_priced", row) == true;
    var name = esc(auxtable.getField("c_name", row));
    if (auxtable.getField("b_okr", row) == true)
        name = "<i>Разработка:</i> " + name;
    rows += "<tr>"
        + "<td align=\"center\">" + auxtable.getField("n_row", row) + "</td>"
        + "<td>" + name + "</td>"
        + "<td align=\"right\">" + quantity(auxtable.getField("n_qty", row)) + "</td>"
        + "<td align=\"center\">" + esc(auxtable.getField("c_unit", row)) + "</td>"
        + "<td align=\"right\">" + (priced ? money(auxtable.getField("n_price", row)) : "по запросу") + "</td>"
        + "<td align=\"right\">" + (priced ? money(auxtable.getField("n_sum", row)) : "—") + "</td>"
        + "<td align=\"center\">" + (esc(auxtable.getField("c_execution", row)) || "по согласованию") + "</td>"
        + "</tr>\n";
    if (priced) {
        total += Number(auxtable.getField("n_sum", row));
        vat += Number(auxtable.getField("n_vat_sum", row));
    } else {
        ++unpriced;
    }
}
if (!rows)
    rows = "<tr><td colspan=\"7\" align=\"center\">В сделке пока нет позиций.</td></tr>\n";

var lines = "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\""
    + " style=\"border-collapse: collapse; border-color: #7f8c99;\" class=\"lines\">\n"
    + "<tr bgcolor=\"#e8edf3\"><th width=\"4%\">№</th><th width=\"37%\">Наименование</th>"
    + "<th width=\"8%\">Кол-во</th><th width=\"6%\">Ед.</th><th width=\"13%\">Цена с НДС,<br>" + currency + "</th>"
    + "<th width=\"17%\">Сумма с НДС,<br>" + currency + "</th><th width=\"15%\">Срок<br>поставки</th></tr>\n"
    + rows
    + "<tr><td colspan=\"5\" align=\"right\"><b>Итого:</b></td><td align=\"right\"><b>" + money(total)
    + "</b></td><td></td></tr>\n"
    + "<tr><td colspan=\"5\" align=\"right\">в том числе НДС:</td><td align=\"right\">" + money(vat)
    + "</td><td></td></tr>\n"
    + "</table>";

var intro = "В ответ на Ваш запрос предлагаем поставку следующей продукции";
intro += deal("c_base") ? " (основание: " + esc(deal("c_base")) + ")." : ".";

var terms = [];
terms.push(deal("c_execution") ? "Срок поставки: до " + esc(deal("c_execution")) + "." : "Срок поставки: по согласованию.");
if (deal("c_delivery_address"))
    terms.push("Адрес доставки: " + esc(deal("c_delivery_address")) + ".");
if (deal("c_payer"))
    terms.push("Доставку оплачивает: " + esc(deal("c_payer").toLowerCase()) + ".");
if (deal("c_currency_code") != "RUB")
    terms.push("Валюта предложения: " + esc(deal("c_currency_name")) + ".");
if (unpriced)
    terms.push("Стоимость позиций без цены сообщим по запросу.");
if (deal("c_comment"))
    terms.push("Примечание: " + esc(deal("c_comment")) + ".");

document.html = fill(params.getParam("c_html"), {
    id_doc: esc(deal("id_doc")),
    today: esc(deal("c_today")),
    today_words: esc(deal("c_today_words")),
    deal_date: esc(deal("c_deal_date")),
    seller: esc(deal("c_seller")),
    seller_details: seller.join("<br>"),
    addressee: addressee.join("<br>"),
    intro: intro,
    lines: lines,
    terms: "<li>" + terms.join("</li>\n<li>") + "</li>",
    manager: esc(deal("c_creator")),
    user: esc(params.getParam("c_user"))
});
$script$),

('DEAL', 'Товарная накладная', 20,
$html$<html>
<head>
<meta charset="utf-8">
<title>Товарная накладная № {{id_doc}} от {{today}}</title>
<style>
body { font-family: 'DejaVu Sans', 'Liberation Sans', Arial, sans-serif; font-size: 9pt; }
.title { font-size: 12pt; font-weight: bold; }
.lines td, .lines th { font-size: 8pt; }
.label { color: #444444; }
.small { font-size: 7pt; color: #555555; }
</style>
</head>
<body>
<table width="100%" cellspacing="0" cellpadding="2">
<tr><td class="label">Грузоотправитель</td><td>{{shipper}}</td></tr>
<tr><td class="label">Грузополучатель</td><td>{{consignee}}</td></tr>
<tr><td class="label">Поставщик</td><td>{{supplier}}</td></tr>
<tr><td class="label">Плательщик</td><td>{{payer}}</td></tr>
<tr><td class="label">Основание</td><td>{{basis}}</td></tr>
{{transport}}
</table>
<p align="center" class="title">ТОВАРНАЯ НАКЛАДНАЯ № {{id_doc}} от {{today}}</p>
{{lines}}
<p>Всего отпущено наименований: {{count}}, на сумму {{total}} {{currency}}<br>
<b>{{total_words}}</b></p>
<br>
<table width="100%" cellspacing="0" cellpadding="3">
<tr>
<td width="50%">Отпуск груза разрешил ________ {{manager}}</td>
<td width="50%">Груз принял ________ ________________</td>
</tr>
<tr>
<td>Главный бухгалтер ________ ________________</td>
<td>Груз получил грузополучатель ________ ________________</td>
</tr>
<tr>
<td>Отпуск груза произвёл ________ ________________</td>
<td>По доверенности № ______ от «___» ________ 20__ г.</td>
</tr>
<tr>
<td><br>М. П. &nbsp;&nbsp; {{today_words}}</td>
<td><br>М. П. &nbsp;&nbsp; «___» ________ 20__ г.</td>
</tr>
</table>
<p class="small">Составлено к сделке № {{id_doc}} от {{deal_date}}. Подготовил: {{user}}.</p>
</body>
</html>$html$,
$script$// Delivery note for a deal: the goods of the deal (development-work requests are
// not goods and stay out), with the sums without VAT, the VAT and the total in words.

function text(value) {
    return value === undefined || value === null ? "" : String(value);
}

function esc(value) {
    return text(value).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;").replace(/"/g, "&quot;");
}

function money(value) {
    var number = Number(value);
    var parts = Math.abs(number).toFixed(2).split(".");
    var whole = parts[0], grouped = "";
    while (whole.length > 3) {
        grouped = "\u00a0" + whole.substr(whole.length - 3) + grouped;
        whole = whole.substr(0, whole.length - 3);
    }
    return (number < 0 ? "-" : "") + whole + grouped + "," + parts[1];
}

function quantity(value) {
    var number = Math.round(Number(value) * 1000) / 1000;
    return String(number).replace(".", ",");
}

function plural(number, one, few, many) {
    var rest = Math.abs(number) % 100;
    if (rest >= 11 && rest <= 19)
        return many;
    rest = rest % 10;
    if (rest == 1)
        return one;
    if (rest >= 2 && rest <= 4)
        return few;
    return many;
}

// Up to 999 in words; thousands are feminine ("одна тысяча", "две тысячи").
function triadInWords(number, feminine) {
    var hundreds = ["", "сто", "двести", "триста", "четыреста", "пятьсот", "шестьсот", "семьсот", "восемьсот", "девятьсот"];
    var tens = ["", "", "двадцать", "тридцать", "сорок", "пятьдесят", "шестьдесят", "семьдесят", "восемьдесят", "девяносто"];
    var teens = ["десять", "одиннадцать", "двенадцать", "тринадцать", "четырнадцать", "пятнадцать", "шестнадцать",
                 "семнадцать", "восемнадцать", "девятнадцать"];
    var units = ["", feminine ? "одна" : "один", feminine ? "две" : "два", "три", "четыре", "пять", "шесть", "семь",
                 "восемь", "девять"];
    var words = [];
    if (Math.floor(number / 100) > 0)
        words.push(hundreds[Math.floor(number / 100)]);
    var rest = number % 100;
    if (rest >= 10 && rest <= 19) {
        words.push(teens[rest - 10]);
    } else {
        if (Math.floor(rest / 10) > 0)
            words.push(tens[Math.floor(rest / 10)]);
        if (rest % 10 > 0)
            words.push(units[rest % 10]);
    }
    return words.join(" ");
}

// 1234.5 -> "Одна тысяча двести тридцать четыре рубля 50 копеек".
function roublesInWords(amount) {
    var kopecks = Math.round(Math.abs(amount) * 100);
    var roubles = Math.floor(kopecks / 100);
    kopecks = kopecks % 100;
    var scales = [["рубль", "рубля", "рублей", false], ["тысяча", "тысячи", "тысяч", true],
                  ["миллион", "миллиона", "миллионов", false], ["миллиард", "миллиарда", "миллиардов", false]];
    var parts = [];
    if (roubles == 0)
        parts.push("ноль рублей");
    for (var scale = 0; roubles > 0 && scale < scales.length; ++scale) {
        var triad = roubles % 1000;
        roubles = Math.floor(roubles / 1000);
        if (triad == 0 && scale > 0)
            continue;
        var words = triadInWords(triad, scales[scale][3]);
        parts.unshift((words ? words + " " : "") + plural(triad, scales[scale][0], scales[scale][1], scales[scale][2]));
    }
    var result = parts.join(" ") + " " + (kopecks < 10 ? "0" : "") + kopecks + " "
        + plural(kopecks, "копейка", "копейки", "копеек");
    return result.charAt(0).toUpperCase() + result.substr(1);
}

function fill(html, values) {
    return html.replace(/\{\{(\w+)\}\}/g, function (all, name) {
        return values.hasOwnProperty(name) ? values[name] : "";
    });
}

function load(target, script, parameter, value) {
    target.setScripts(script, "", "", "");
    target.setSelectParam(parameter, value);
    if (!target.open())
        throw new Error("Не удалось прочитать данные сделки (" + script + ")");
}

var idDeal = params.getParam("id_reason");
load(table, "DEAL_PRINT_SELECT", "id", idDeal);
if (table.rowCount() < 1)
    throw new Error("Сделка " + idDeal + " не найдена");
load(auxtable, "DEAL_PRINT_LINES_SELECT", "id_deal", idDeal);

function deal(name) {
    return text(table.getField(name, 0));
}

// "ООО «Ромашка», ИНН 7701234567, КПП 770101001, адрес, р/с ... в банке, БИК ..., к/с ..."
function firm(name, inn, kpp, address, account, bank, bic, corr, phone) {
    var parts = [esc(name) || "—"];
    if (inn)
        parts.push("ИНН " + esc(inn) + (kpp ? ", КПП " + esc(kpp) : ""));
    if (address)
        parts.push(esc(address));
    if (phone)
        parts.push("тел. " + esc(phone));
    if (account)
        parts.push("р/с " + esc(account) + (bank ? " в " + esc(bank) : "") + (bic ? ", БИК " + esc(bic) : "")
                   + (corr ? ", к/с " + esc(corr) : ""));
    return parts.join(", ");
}

var shipper = firm(deal("c_seller"), deal("c_seller_inn"), deal("c_seller_kpp"),
                   deal("c_seller_actual_address") || deal("c_seller_address"), "", "", "", "", deal("c_seller_phone"));
var supplier = firm(deal("c_seller"), deal("c_seller_inn"), deal("c_seller_kpp"), deal("c_seller_address"),
                    deal("c_seller_account"), deal("c_seller_bank"), deal("c_seller_bic"),
                    deal("c_seller_corr_account"), "");
var consignee = firm(deal("c_buyer"), deal("c_buyer_inn"), deal("c_buyer_kpp"), deal("c_delivery_address"),
                     "", "", "", "", deal("c_buyer_phone"));
var payer = firm(deal("c_buyer"), deal("c_buyer_inn"), deal("c_buyer_kpp"), deal("c_buyer_address"),
                 deal("c_buyer_account"), deal("c_buyer_bank"), deal("c_buyer_bic"), "", "");

var rows = "", count = 0, totalNet = 0, totalVat = 0, total = 0;
for (var row = 0; row < auxtable.rowCount(); ++row) {
    if (auxtable.getField("b_okr", row) == true)
        continue;
    ++count;
    var priced = auxtable.getField("b_priced", row) == true;
    var vatRate = Number(auxtable.getField("n_vat", row));
    rows += "<tr>"
        + "<td align=\"center\">" + count + "</td>"
        + "<td>" + esc(auxtable.getField("c_name", row)) + "</td>"
        + "<td align=\"center\">" + esc(auxtable.getField("c_unit", row)) + "</td>"
        + "<td align=\"right\">" + quantity(auxtable.getField("n_qty", row)) + "</td>"
        + "<td align=\"right\">" + (priced ? money(auxtable.getField("n_price_net", row)) : "—") + "</td>"
        + "<td align=\"right\">" + (priced ? money(auxtable.getField("n_sum_net", row)) : "—") + "</td>"
        + "<td align=\"center\">" + (vatRate > 0 ? quantity(vatRate) + "%" : "без НДС") + "</td>"
        + "<td align=\"right\">" + (priced ? money(auxtable.getField("n_vat_sum", row)) : "—") + "</td>"
        + "<td align=\"right\">" + (priced ? money(auxtable.getField("n_sum", row)) : "—") + "</td>"
        + "</tr>\n";
    if (priced) {
        totalNet += Number(auxtable.getField("n_sum_net", row));
        totalVat += Number(auxtable.getField("n_vat_sum", row));
        total += Number(auxtable.getField("n_sum", row));
    }
}
if (!count)
    rows = "<tr><td colspan=\"9\" align=\"center\">В сделке нет товаров для отгрузки.</td></tr>\n";

var currency = esc(deal("c_currency"));
var lines = "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\""
    + " style=\"border-collapse: collapse; border-color: #7f8c99;\" class=\"lines\">\n"
    + "<tr bgcolor=\"#e8edf3\"><th width=\"3%\">№</th><th width=\"26%\">Товар</th><th width=\"5%\">Ед.</th>"
    + "<th width=\"6%\">Кол-во</th><th width=\"11%\">Цена<br>без НДС,<br>" + currency + "</th>"
    + "<th width=\"14%\">Сумма<br>без НДС,<br>" + currency + "</th><th width=\"9%\">НДС,<br>ставка</th>"
    + "<th width=\"12%\">Сумма<br>НДС,<br>" + currency + "</th><th width=\"14%\">Сумма<br>с НДС,<br>" + currency + "</th></tr>\n"
    + rows
    + "<tr><td colspan=\"5\" align=\"right\"><b>Итого:</b></td>"
    + "<td align=\"right\">" + money(totalNet) + "</td><td align=\"center\">×</td>"
    + "<td align=\"right\">" + money(totalVat) + "</td>"
    + "<td align=\"right\">" + money(total) + "</td></tr>\n"
    + "</table>";

var transport = "";
if (deal("c_transport_company"))
    transport = "<tr><td class=\"label\">Перевозчик</td><td>" + esc(deal("c_transport_company"))
        + (deal("c_sending_number") ? ", отправка № " + esc(deal("c_sending_number")) : "") + "</td></tr>";

document.html = fill(params.getParam("c_html"), {
    id_doc: esc(deal("id_doc")),
    today: esc(deal("c_today")),
    today_words: esc(deal("c_today_words")),
    deal_date: esc(deal("c_deal_date")),
    shipper: shipper,
    consignee: consignee,
    supplier: supplier,
    payer: payer,
    basis: esc(deal("c_base")) || "сделка № " + esc(deal("id_doc")) + " от " + esc(deal("c_deal_date")),
    transport: transport,
    lines: lines,
    count: count,
    total: money(total),
    currency: currency,
    total_words: deal("c_currency_code") == "RUB" ? roublesInWords(total)
                                                 : "Сумма указана в валюте: " + esc(deal("c_currency_name")),
    manager: esc(deal("c_creator")),
    user: esc(params.getParam("c_user"))
});
$script$);

-- Offers already sent for the newest deals with goods, kept as they were made
-- on the day after the deal: their HTML is a snapshot, like any kept document,
-- so it stays as it was even when the deal changes later.
with deals as (
    select d.id, d.id_doc, d.d_create, dv.c_name as c_seller, c.c_name as c_buyer
      from jur.t_deals d
      join sys.t_division dv on dv.id = d.id_division
      join jur.t_contractor c on c.id = d.id_contractor
     where exists (select 1 from jur.t_deal_details x where x.id_deal = d.id and not x.b_okr)
     order by d.d_create desc, d.id desc
     limit 6
), lines as (
    select x.id_deal,
           string_agg('<tr><td>' || replace(replace(replace(
                          coalesce(nullif(btrim(x.c_name), ''), i.c_name, ''), '&', '&amp;'), '<', '&lt;'), '>', '&gt;')
                      || '</td><td align="right">' || x.n_qty || '</td><td align="right">'
                      || coalesce(replace(to_char(round(cast(case when x.b_add_nds then x.n_sale_price
                                       else x.n_sale_price * (1 + coalesce(v.n_vat, 0) / 100) end as numeric), 2),
                                  'FM999G999G990D00'), ',', ' '), '—')
                      || '</td></tr>', E'\n' order by x.id) as c_rows
      from jur.t_deal_details x
      join deals on deals.id = x.id_deal
      left join dirs.t_item i on i.id = x.id_item
      left join dirs.t_vat v on v.id = x.id_vat
     where not x.b_okr
     group by x.id_deal
)
insert into lrg.t_document (c_type, n_key, id_template, c_name, c_html, id_creator, d_create)
select 'DEAL', deals.id, t.id,
       'Коммерческое предложение № ' || deals.id_doc || ' от ' || to_char(sent.d_sent, 'DD.MM.YYYY'),
       '<html><head><meta charset="utf-8"><title>Коммерческое предложение № ' || deals.id_doc || ' от '
       || to_char(sent.d_sent, 'DD.MM.YYYY') || '</title></head><body>'
       || '<p align="right">Кому: <b>' || replace(deals.c_buyer, '&', '&amp;') || '</b></p>'
       || '<p align="center"><b>Коммерческое предложение № ' || deals.id_doc || '</b><br>'
       || sys.c_date_words(cast(sent.d_sent as date)) || '</p>'
       || '<p>Уважаемые коллеги! ' || replace(deals.c_seller, '&', '&amp;')
       || ' предлагает поставку следующей продукции.</p>'
       || '<table border="1" cellspacing="0" cellpadding="3" width="100%">'
       || '<tr><th>Наименование</th><th>Кол-во</th><th>Цена с НДС, руб.</th></tr>' || E'\n'
       || lines.c_rows || '</table>'
       || '<p>Предложение действительно в течение 30 календарных дней с даты составления.</p></body></html>',
       (select u.id from sys.t_user u where u.c_login = 'petrova'),
       sent.d_sent
  from deals
  join lines on lines.id_deal = deals.id
  join sys.t_doc_template t on t.c_type = 'DEAL' and t.c_name = 'Коммерческое предложение'
 cross join lateral (select least(deals.d_create + interval '1 day', now()) as d_sent) sent;
