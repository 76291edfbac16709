-- Unlinks a sheet from a deal; nothing happens to a link of another deal.
delete from jur.t_deal_link
 where id_sheet = :id
   and id_deal = :id_deal
returning id_sheet as id
