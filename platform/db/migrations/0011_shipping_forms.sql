-- Shipping sheets as the deals module shows them: who ships, how a line is
-- packed, and the packing list a sheet prints (inv.t_shipping_sheet.c_form),
-- made from the sheet's own rows by inv.c_packing_list.
-- Builds on the deals schema (0009: shipping sheets and their items), the
-- directory (0006: divisions and their requisites) and the catalogue (0007).

-- The division that ships; a sheet without one ships from the default division.
alter table inv.t_shipping_sheet
    add column id_division integer references sys.t_division (id);

-- How a line went out: the packages it fills and their gross weight in kilograms.
alter table inv.t_shipping_sheet_item
    add column n_places integer check (n_places > 0),
    add column n_weight double precision check (n_weight >= 0);

-- Text for HTML: the markup characters as entities, null as nothing.
create function sys.html_text(p_text text) returns text
    language sql immutable
as $$
    select replace(replace(replace(replace(coalesce(p_text, ''), '&', '&amp;'), '<', '&lt;'), '>', '&gt;'), '"', '&quot;')
$$;

-- A quantity as a Russian document prints it: "12", "2,5", nothing for null.
create function sys.c_quantity(p_value double precision) returns text
    language sql immutable
as $$
    select case when p_value is null then ''
                else replace(rtrim(to_char(p_value::numeric, 'FM999999999990.999'), '.'), '.', ',') end
$$;

-- The packing list of a sheet as finished HTML (UTF-8): sender and receiver,
-- the lines with their units, quantities, packages and weights, the totals
-- and the signature lines. Null for an unknown sheet. The preview prints it on
-- A4 as it stands, so it keeps to what a rich-text page lays out: tables,
-- attributes, inline styles.
create function inv.c_packing_list(p_id_sheet bigint) returns text
    language sql stable
as $$
    with sheet as (
        select sh.id, sh.c_name, sh.c_receiver, sh.d_date, sh.b_is_revert,
               coalesce(sh.id_division,
                        (select dv.id from sys.t_division dv where dv.b_default and not dv.b_is_del
                          order by dv.id limit 1)) as id_sender
          from inv.t_shipping_sheet sh
         where sh.id = p_id_sheet
    ), sender as (
        select dv.c_name,
               coalesce((select dr.c_value from jur.t_division_requisite dr
                           join jur.t_requisites r on r.id = dr.id_requisite
                          where dr.id_division = dv.id and r.c_sys_name = 'CR_ACTUAL_ADDR' limit 1),
                        (select dr.c_value from jur.t_division_requisite dr
                           join jur.t_requisites r on r.id = dr.id_requisite
                          where dr.id_division = dv.id and r.c_sys_name = 'CR_JUR_ADDR' limit 1)) as c_address
          from sys.t_division dv
          join sheet on sheet.id_sender = dv.id
    ), lines as (
        select row_number() over (order by i.c_name, si.id) as n_line, i.c_name,
               coalesce(u.c_short_name, 'шт') as c_unit, si.n_qty, si.n_places, si.n_weight
          from inv.t_shipping_sheet_item si
          join dirs.t_item i on i.id = si.id_item
          left join dirs.t_meas_unit u on u.id = i.id_meas_unit
         where si.id_sheet = p_id_sheet
    ), totals as (
        select count(*) as n_lines, sum(n_places) as n_places, sum(n_weight) as n_weight from lines
    )
    select '<html><head><meta charset="utf-8"><title>Упаковочный лист</title></head>'
        || '<body style="font-family: ''DejaVu Sans'', sans-serif; font-size: 10pt;">'
        || '<table width="100%" cellspacing="0" cellpadding="2"><tr>'
        || '<td width="60%">Грузоотправитель: <b>' || sys.html_text(sender.c_name) || '</b>'
        || case when sender.c_address is null then '' else '<br>' || sys.html_text(sender.c_address) end
        || '</td><td width="40%" align="right">' || sys.html_text(sheet.c_name)
        || '<br>от ' || to_char(sheet.d_date, 'DD.MM.YYYY') || '</td></tr></table>'
        || '<h2 align="center">УПАКОВОЧНЫЙ ЛИСТ</h2>'
        || '<p align="center">к документу «' || sys.html_text(sheet.c_name) || '» от '
        || to_char(sheet.d_date, 'DD.MM.YYYY') || '</p>'
        || case when sheet.b_is_revert
                then '<p align="center" style="color: #b00000;"><b>Отгрузка отменена</b></p>' else '' end
        || '<p>Грузополучатель: <b>' || sys.html_text(sheet.c_receiver) || '</b></p>'
        || '<table width="100%" border="1" cellspacing="0" cellpadding="4">'
        || '<tr bgcolor="#e4e4e4"><th width="6%">№</th><th width="48%">Наименование</th><th width="8%">Ед.</th>'
        || '<th width="12%">Кол-во</th><th width="10%">Мест</th><th width="16%">Масса брутто, кг</th></tr>'
        || coalesce((select string_agg('<tr><td align="center">' || l.n_line || '</td><td>' || sys.html_text(l.c_name)
                                       || '</td><td align="center">' || sys.html_text(l.c_unit)
                                       || '</td><td align="right">' || sys.c_quantity(l.n_qty)
                                       || '</td><td align="right">' || coalesce(l.n_places::text, '')
                                       || '</td><td align="right">' || sys.c_quantity(l.n_weight) || '</td></tr>',
                                       '' order by l.n_line)
                       from lines l), '')
        || '<tr><td></td><td colspan="3"><b>Итого</b></td><td align="right"><b>'
        || coalesce(totals.n_places::text, '') || '</b></td><td align="right"><b>'
        || sys.c_quantity(totals.n_weight) || '</b></td></tr></table>'
        || '<p>Всего наименований: ' || totals.n_lines
        || case when totals.n_places is null then '' else '; мест: ' || totals.n_places end
        || case when totals.n_weight is null then '' else '; масса брутто: ' || sys.c_quantity(totals.n_weight) || ' кг' end
        || '.</p><br>'
        || '<table width="100%" cellspacing="0" cellpadding="6"><tr>'
        || '<td width="50%">Упаковал: ____________ / ____________________ /</td>'
        || '<td width="50%">Проверил: ____________ / ____________________ /</td>'
        || '</tr></table></body></html>'
      from sheet
      left join sender on true
      cross join totals
$$;
