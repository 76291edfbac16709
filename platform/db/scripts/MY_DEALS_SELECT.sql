-- Every deal of the company, newest first, in the shape the list shows.
select *
  from jur.v_deals
 order by d_create desc, id desc
